// The API's parameters: see jquants_query.h.
#include "jquants_query.h"

namespace karigane::quote_site {

std::string api_query::get(std::string_view key) const {
  const auto it = params.find(key);
  return it == params.end() ? std::string() : it->second;
}

std::optional<date> parse_api_date(std::string_view text) {
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    std::string digits(text.substr(0, 4));
    digits += text.substr(5, 2);
    digits += text.substr(8, 2);
    return parse_yyyymmdd(digits);
  }
  return text.size() == 8 ? parse_yyyymmdd(text) : std::nullopt;
}

std::string dashed_date(const date& d) {
  const std::string t = yyyymmdd(d);
  return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2);
}

bool requested_period(const api_query& q, bool with_date, date& from, date& to,
                      std::string& error) {
  auto read = [&](std::string_view key, date& out) {
    if (!q.has(key)) return true;
    const std::string text = q.get(key);
    const auto d = parse_api_date(text);
    if (!d) {
      error = "Invalid date: " + std::string(key) + "=" + text + ". Use YYYYMMDD or YYYY-MM-DD.";
      return false;
    }
    if (!q.window.covers(*d)) {
      error = outside_window_message(q.plan, q.window);
      return false;
    }
    out = *d;
    return true;
  };
  from = q.window.first;
  to = q.window.last;
  if (with_date && q.has("date") && !q.has("from") && !q.has("to")) {
    if (!read("date", from)) return false;
    to = from;
    return true;
  }
  return read("from", from) && read("to", to);
}

bool code_or_date_period(const api_query& q, date& from, date& to, std::string& error) {
  if (q.has("code")) return requested_period(q, true, from, to, error);
  if (!q.has("date")) {
    error = kCodeOrDateRequired;
    return false;
  }
  const param_map date_only{{"date", q.get("date")}};
  return requested_period({q.data, date_only, q.plan, q.window}, true, from, to, error);
}

bool is_business_day(const market_data& data, const date& d) {
  return data.today() < d ? trading_calendar::rule_trading_day(d)
                          : data.calendar().is_trading_day(d);
}

}  // namespace karigane::quote_site
