// Trading days: see trading_calendar.h.
#include "trading_calendar.h"

#include <algorithm>

namespace karigane::quote_site {

int weekday(const date& d) {
  const long n = days_from_civil(d);  // 1970-01-01 was a Thursday
  return static_cast<int>(((n % 7) + 7 + 4) % 7);
}

bool trading_calendar::rule_trading_day(const date& d) {
  const int w = weekday(d);
  if (w == 0 || w == 6) return false;
  if (d.m == 12 && d.d == 31) return false;
  if (d.m == 1 && d.d <= 3) return false;
  return true;
}

trading_calendar::trading_calendar(date first, date last, const std::vector<date>& real_days) {
  if (last < first) return;
  const bool has_real = !real_days.empty();
  const date real_first = has_real ? real_days.front() : date{};
  const date real_last = has_real ? real_days.back() : date{};
  days_.reserve(static_cast<std::size_t>(days_between(first, last) * 5 / 7 + 8));
  for (long n = days_from_civil(first), end = days_from_civil(last); n <= end; ++n) {
    const date d = civil_from_days(n);
    if (has_real && !(d < real_first) && !(real_last < d)) continue;
    if (rule_trading_day(d)) days_.push_back(d);
  }
  for (const date& d : real_days) {
    if (!(d < first) && !(last < d)) days_.push_back(d);
  }
  std::sort(days_.begin(), days_.end());
  days_.erase(std::unique(days_.begin(), days_.end()), days_.end());
}

std::span<const date> trading_calendar::between(const date& from, const date& to) const {
  if (to < from) return {};
  const auto lo = std::lower_bound(days_.begin(), days_.end(), from);
  const auto hi = std::upper_bound(lo, days_.end(), to);
  return {lo, hi};
}

bool trading_calendar::is_trading_day(const date& d) const {
  return std::binary_search(days_.begin(), days_.end(), d);
}

}  // namespace karigane::quote_site
