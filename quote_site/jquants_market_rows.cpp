// The rows of the calendar, margin-interest and index endpoints: see jquants_rows.h.
#include <algorithm>
#include <cmath>

#include "jquants_issues.h"
#include "jquants_rows.h"
#include "json_text.h"
#include "margin_balances.h"

namespace karigane::quote_site {
namespace {

constexpr std::string_view kTopixProgramCode = "1002";
constexpr std::string_view kTopixIndexCode = "0000";

std::string margin_row(const stock_info& stock, const margin_week& week) {
  // Of each side, 80% in standardized margin (whole lots of 100 shares), the rest negotiable.
  auto standardized = [](std::int64_t shares) { return std::llround(shares * 0.8 / 100.0) * 100; };
  const std::int64_t short_std = standardized(week.sell);
  const std::int64_t long_std = standardized(week.buy);
  return json_object()
      .text("Date", dashed_date(week.day))
      .text("Code", api_code(stock))
      .raw("ShrtVol", json_whole(week.sell))
      .raw("LongVol", json_whole(week.buy))
      .raw("ShrtNegVol", json_whole(week.sell - short_std))
      .raw("LongNegVol", json_whole(week.buy - long_std))
      .raw("ShrtStdVol", json_whole(short_std))
      .raw("LongStdVol", json_whole(long_std))
      .text("IssType", "2")
      .str();
}

// The index's bars over the period; with `code`, each row carries it.
void index_rows(const market_data& data, const date& from, const date& to, std::string_view code,
                std::vector<std::string>& out) {
  const stock_info* topix = data.find(kTopixProgramCode);
  if (topix == nullptr) return;
  const std::vector<date> days = data.trading_days(*topix, from, to);
  for (const price_row& r : data.daily_rows(*topix, days)) {
    json_object o;
    o.text("Date", dashed_date(r.day));
    if (!code.empty()) o.text("Code", code);
    o.raw("O", json_hundredths(r.open)).raw("H", json_hundredths(r.high));
    o.raw("L", json_hundredths(r.low)).raw("C", json_hundredths(r.close));
    out.push_back(o.str());
  }
}

}  // namespace

api_rows calendar_rows(const api_query& q) {
  api_rows out;
  const std::string division = q.get("hol_div");
  if (q.has("hol_div") && (division.size() != 1 || division[0] < '0' || division[0] > '3')) {
    out.error = "Invalid hol_div: " + division + ". Use 0, 1, 2 or 3.";
    return out;
  }
  date from;
  date to;
  if (!requested_period(q, false, from, to, out.error)) return out;
  to = std::min(to, q.window.last);
  for (date d = std::max(from, market_data::first_day()); !(to < d); d = add_days(d, 1)) {
    const std::string_view day_division = is_business_day(q.data, d) ? "1" : "0";
    if (q.has("hol_div") && division != day_division) continue;
    out.rows.push_back(
        json_object().text("Date", dashed_date(d)).text("HolDiv", day_division).str());
  }
  return out;
}

api_rows margin_interest_rows(const api_query& q) {
  api_rows out;
  date from;
  date to;
  if (!code_or_date_period(q, from, to, out.error)) return out;
  for (const stock_info* stock : requested_issues(q.data, q.params)) {
    std::vector<margin_week> weeks = margin_weeks(q.data, *stock, from, to);
    std::reverse(weeks.begin(), weeks.end());
    for (const margin_week& w : weeks) out.rows.push_back(margin_row(*stock, w));
  }
  return out;
}

api_rows topix_rows(const api_query& q) {
  api_rows out;
  date from;
  date to;
  if (requested_period(q, false, from, to, out.error)) index_rows(q.data, from, to, {}, out.rows);
  return out;
}

api_rows index_bar_rows(const api_query& q) {
  api_rows out;
  date from;
  date to;
  if (code_or_date_period(q, from, to, out.error) &&
      (!q.has("code") || q.get("code") == kTopixIndexCode)) {
    index_rows(q.data, from, to, kTopixIndexCode, out.rows);
  }
  return out;
}

}  // namespace karigane::quote_site
