// The financial statements of the data set's companies (stocks whose name holds "(株)"):
// non-consolidated, consolidated (most companies) and interim figures per fiscal period,
// generated from the seed and the code. Most fiscal years end in March, some in December or
// another month; a period is published on its announcement date, some 40 to 50 days after it
// ends, so the newest period shown is the newest one announced by the data set's today. A few
// companies were listed recently and have fewer periods; a stock listed or delisted within the
// data set's span announces only while it is listed. Every period is computed on its own, so a
// page needs only the periods it shows.
#pragma once

#include <cstdint>
#include <vector>

#include "core/dates.h"
#include "market_data.h"

namespace karigane::quote_site {

enum class statement_kind { independent, consolidated, interim };

// One fiscal period's figures. Amounts in millions of yen, per-share figures in hundredths of
// a yen, shares in thousands, ratios in tenths of a percent.
struct statement_figures {
  date period_end;  // the period's last day
  date announced;
  int months = 12;
  std::int64_t sales = 0;
  std::int64_t operating_profit = 0;
  std::int64_t ordinary_profit = 0;
  std::int64_t net_profit = 0;
  std::int64_t eps = 0;
  bool has_diluted_eps = false;
  std::int64_t diluted_eps = 0;
  std::int64_t dividend = 0;
  bool has_payout_ratio = false;
  std::int64_t payout_ratio = 0;
  std::int64_t bps = 0;
  std::int64_t shares = 0;
  std::int64_t total_assets = 0;
  std::int64_t equity = 0;
  std::int64_t capital = 0;
  std::int64_t interest_bearing_debt = 0;
  std::int64_t retained_earnings = 0;
  bool has_unrealized_gains = false;
  std::int64_t unrealized_gains = 0;
  std::int64_t equity_ratio = 0;
  std::int64_t roa = 0;
  std::int64_t roe = 0;
  std::int64_t ordinary_roa = 0;
};

// True when the stock publishes statements of the kind: a company (name with "(株)"), and for
// the consolidated kind one with subsidiaries.
bool publishes_statements(const market_data& data, const stock_info& stock, statement_kind kind);

// The periods a statement page shows, newest first: at most three (two for the interim kind),
// announced on or before today, `years_back` fiscal years before the newest announced one.
// Empty when the stock publishes none.
std::vector<statement_figures> shown_statements(const market_data& data, const stock_info& stock,
                                                statement_kind kind, int years_back = 0);

// Every period of the kind announced in [from, to] (at most up to today), oldest first.
std::vector<statement_figures> statements_announced(const market_data& data,
                                                    const stock_info& stock, statement_kind kind,
                                                    const date& from, const date& to);

}  // namespace karigane::quote_site
