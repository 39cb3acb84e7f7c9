// The data set's financial statements: see financial_statements.h.
#include "financial_statements.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "deterministic_random.h"

namespace karigane::quote_site {
namespace {

// What stays the same for a company from year to year.
struct company {
  std::uint64_t key = 0;
  int fiscal_month = 3;     // the month its fiscal year ends in
  bool consolidated = false;
  int first_year = 0;       // the first fiscal year (by the year it ends in) with statements
  double log_sales = 0;     // log of the sales level of 2005, millions of yen
  double margin = 0;        // operating margin
  double turnover = 0;      // total assets per yen of sales
  double equity_ratio = 0;
  double debt_ratio = 0;    // interest-bearing debt per yen of assets
  double group_factor = 1;  // consolidated size per non-consolidated size
  double shares = 0;        // thousands of shares
  double capital = 0;       // millions of yen
  bool diluted = false;     // shows a diluted EPS
};

constexpr std::array<int, 6> kOtherFiscalMonths{2, 5, 6, 8, 9, 11};

double uniform(std::uint64_t key, std::string_view what) {
  return unit_value(hash_of({key, text_key(what)}));
}

company company_of(const market_data& data, const stock_info& stock) {
  company c;
  c.key = hash_of({data.seed(), text_key(stock.code), text_key("statements")});
  const double month_draw = uniform(c.key, "fiscal-month");
  if (month_draw < 0.75) {
    c.fiscal_month = 3;
  } else if (month_draw < 0.87) {
    c.fiscal_month = 12;
  } else {
    const auto pick = static_cast<std::size_t>(uniform(c.key, "other-month") * kOtherFiscalMonths.size());
    c.fiscal_month = kOtherFiscalMonths[std::min(pick, kOtherFiscalMonths.size() - 1)];
  }
  c.consolidated = uniform(c.key, "group") < 0.8;
  c.first_year = uniform(c.key, "listing") < 0.06
                     ? data.today().y - 1 - static_cast<int>(uniform(c.key, "listing-year") * 2)
                     : 1970;
  c.log_sales = std::log(2000.0) + uniform(c.key, "size") * (std::log(1500000.0) - std::log(2000.0));
  c.margin = 0.02 + 0.10 * uniform(c.key, "margin");
  c.turnover = 0.5 + 1.5 * uniform(c.key, "turnover");
  c.equity_ratio = 0.2 + 0.45 * uniform(c.key, "equity");
  c.debt_ratio = 0.05 + 0.35 * uniform(c.key, "debt");
  c.group_factor = 1.1 + 0.6 * uniform(c.key, "group-size");
  c.shares = std::round(std::exp(c.log_sales) * (0.5 + 5.5 * uniform(c.key, "shares")));
  c.capital = std::round(std::exp(c.log_sales) * c.turnover * (0.02 + 0.1 * uniform(c.key, "capital")));
  c.diluted = uniform(c.key, "diluted") < 0.3;
  return c;
}

// A period's flows and balances, before the per-share figures and ratios are derived.
struct raw_period {
  double sales = 0, operating = 0, ordinary = 0, net = 0;
  double assets = 0, equity = 0, debt = 0;
};

raw_period annual_raw(const company& c, int year, bool consolidated) {
  auto draw = [&](std::string_view what) {
    return hash_of({c.key, static_cast<std::uint64_t>(year), text_key(what)});
  };
  const double scale = consolidated ? c.group_factor : 1.0;
  raw_period r;
  r.sales = std::max(1.0, std::exp(c.log_sales + 0.015 * (year - 2005) +
                                    0.10 * normal_value(draw("sales"))) * scale);
  r.operating = r.sales * (c.margin + 0.015 * normal_value(draw("margin")));
  r.ordinary = r.operating + r.sales * 0.006 * normal_value(draw("non-operating"));
  r.net = r.ordinary > 0 ? r.ordinary * (0.45 + 0.15 * unit_value(draw("tax"))) : r.ordinary * 1.15;
  if (unit_value(draw("special-loss")) < 0.05) r.net -= r.sales * 0.03;
  r.assets = std::max(1.0, r.sales * c.turnover * (1.0 + 0.05 * normal_value(draw("assets"))));
  r.equity = r.assets * std::clamp(c.equity_ratio + 0.03 * normal_value(draw("equity")), 0.05, 0.9);
  r.debt = std::max(0.0, r.assets * c.debt_ratio * (1.0 + 0.1 * normal_value(draw("debt"))));
  return r;
}

// Per mille of a ratio: tenths of a percent.
std::int64_t per_mille(double part, double whole) {
  return whole == 0 ? 0 : std::llround(part * 1000.0 / whole);
}

statement_figures figures_of(const company& c, const raw_period& r, std::uint64_t year_key) {
  statement_figures f;
  f.sales = std::llround(r.sales);
  f.operating_profit = std::llround(r.operating);
  f.ordinary_profit = std::llround(r.ordinary);
  f.net_profit = std::llround(r.net);
  f.total_assets = std::llround(r.assets);
  f.equity = std::llround(r.equity);
  f.capital = std::llround(c.capital);
  f.interest_bearing_debt = std::llround(r.debt);
  f.retained_earnings = f.equity - std::llround(c.capital * 1.8);
  f.has_unrealized_gains = unit_value(hash_of({year_key, text_key("unrealized-shown")})) < 0.8;
  if (f.has_unrealized_gains) {
    f.unrealized_gains = std::llround(r.assets * 0.01 * normal_value(hash_of({year_key, text_key("unrealized")})));
  }
  f.shares = std::llround(c.shares);
  // Millions of yen per thousand shares, in hundredths of a yen.
  f.eps = std::llround(r.net * 1e5 / c.shares);
  f.bps = std::llround(r.equity * 1e5 / c.shares);
  f.has_diluted_eps = c.diluted && f.eps > 0;
  if (f.has_diluted_eps) f.diluted_eps = std::llround(f.eps * 0.985);
  f.dividend = f.eps > 0 ? std::max<std::int64_t>(100, std::llround(f.eps * 0.3 / 100.0) * 100) : 0;
  f.has_payout_ratio = f.eps > 0;
  if (f.has_payout_ratio) f.payout_ratio = per_mille(static_cast<double>(f.dividend), static_cast<double>(f.eps));
  f.equity_ratio = per_mille(r.equity, r.assets);
  f.roa = per_mille(r.net, r.assets);
  f.roe = per_mille(r.net, r.equity);
  f.ordinary_roa = per_mille(r.ordinary, r.assets);
  return f;
}

date month_end(int y, int m) { return {y, m, days_in_month(y, m)}; }

// The last day of the first half of fiscal year `year`.
date interim_end(const company& c, int year) {
  const int m = c.fiscal_month - 6;
  return m >= 1 ? month_end(year, m) : month_end(year - 1, m + 12);
}

date announcement(const company& c, const date& period_end, int year, bool interim) {
  const std::uint64_t h = hash_of({c.key, static_cast<std::uint64_t>(year), text_key(interim ? "interim-announce" : "announce")});
  const long days = interim ? 38 + static_cast<long>(unit_value(h) * 8) : 40 + static_cast<long>(unit_value(h) * 11);
  return add_days(period_end, days);
}

statement_figures annual_statement(const company& c, int year, bool consolidated) {
  const std::uint64_t year_key = hash_of({c.key, static_cast<std::uint64_t>(year), consolidated ? 1u : 0u});
  statement_figures f = figures_of(c, annual_raw(c, year, consolidated), year_key);
  f.period_end = month_end(year, c.fiscal_month);
  f.announced = announcement(c, f.period_end, year, false);
  f.months = 12;
  return f;
}

// The first half of fiscal year `year`: about half the year's flows, the balances between the
// previous year end's and this one's.
statement_figures interim_statement(const company& c, int year) {
  const raw_period whole = annual_raw(c, year, c.consolidated);
  const raw_period before = annual_raw(c, year - 1, c.consolidated);
  const std::uint64_t year_key = hash_of({c.key, static_cast<std::uint64_t>(year), 2u});
  const double half = 0.45 + 0.1 * unit_value(hash_of({year_key, text_key("half")}));
  raw_period r;
  r.sales = std::max(1.0, whole.sales * half);
  r.operating = whole.operating * half;
  r.ordinary = whole.ordinary * half;
  r.net = whole.net * half;
  r.assets = (whole.assets + before.assets) / 2;
  r.equity = (whole.equity + before.equity) / 2;
  r.debt = (whole.debt + before.debt) / 2;
  statement_figures f = figures_of(c, r, year_key);
  f.period_end = interim_end(c, year);
  f.announced = announcement(c, f.period_end, year, true);
  f.months = 6;
  return f;
}

}  // namespace

bool publishes_statements(const market_data& data, const stock_info& stock, statement_kind kind) {
  if (stock.is_index() || stock.name.find("(株)") == std::string::npos) return false;
  return kind != statement_kind::consolidated || company_of(data, stock).consolidated;
}

namespace {

// A company's statements of one kind, by fiscal year (the year the fiscal year ends in).
struct statement_series {
  company c;
  statement_kind kind;

  bool interim() const { return kind == statement_kind::interim; }
  statement_figures period(int year) const {
    return interim() ? interim_statement(c, year)
                     : annual_statement(c, year, kind == statement_kind::consolidated);
  }
  date announced_on(int year) const {
    return announcement(c, interim() ? interim_end(c, year) : month_end(year, c.fiscal_month),
                        year, interim());
  }
};

// A stock announces nothing before its listing nor after its last trading day.
date last_announcement_day(const market_data& data, const stock_info& stock) {
  return stock.last_day.empty() ? data.today() : std::min(data.today(), stock.last_day);
}

}  // namespace

std::vector<statement_figures> shown_statements(const market_data& data, const stock_info& stock,
                                                statement_kind kind, int years_back) {
  std::vector<statement_figures> out;
  if (!publishes_statements(data, stock, kind)) return out;
  const statement_series series{company_of(data, stock), kind};
  const date horizon = last_announcement_day(data, stock);
  // The newest fiscal year announced by the horizon.
  int year = horizon.y + 1;
  while (horizon < series.announced_on(year)) --year;
  year -= years_back;
  const int shown = series.interim() ? 2 : 3;
  for (int k = 0; k < shown && year - k >= series.c.first_year; ++k) {
    if (!stock.listed.empty() && series.announced_on(year - k) < stock.listed) break;
    out.push_back(series.period(year - k));
  }
  return out;
}

std::vector<statement_figures> statements_announced(const market_data& data,
                                                    const stock_info& stock, statement_kind kind,
                                                    const date& from, const date& to) {
  std::vector<statement_figures> out;
  if (!publishes_statements(data, stock, kind)) return out;
  const statement_series series{company_of(data, stock), kind};
  const date last = std::min(to, last_announcement_day(data, stock));
  const date first = stock.listed.empty() ? from : std::max(from, stock.listed);
  if (last < first) return out;
  // Fiscal year Y is announced in Y - 1 (an interim period of a March year), Y or Y + 1 (a
  // December year's results).
  for (int year = std::max(first.y - 1, series.c.first_year); year <= last.y + 1; ++year) {
    const date day = series.announced_on(year);
    if (!(day < first) && !(last < day)) out.push_back(series.period(year));
  }
  return out;
}

}  // namespace karigane::quote_site
