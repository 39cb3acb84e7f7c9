// Trading days: see trading_days.h.
#include "core/trading_days.h"

#include <algorithm>

namespace karigane {

int day_of_week(const date& d) {
  // 1970-01-01 was a Thursday.
  const long w = (days_from_civil(d) + 4) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

bool rule_trading_day(const date& d) {
  const int w = day_of_week(d);
  if (w == 0 || w == 6) return false;
  return !((d.m == 12 && d.d == 31) || (d.m == 1 && d.d <= 3));
}

date last_final_day(const local_time& now) {
  return now.hour >= kFinalHour ? now.day : add_days(now.day, -1);
}

trading_days::trading_days(std::vector<date> known) : known_(std::move(known)) {
  std::sort(known_.begin(), known_.end());
  known_.erase(std::unique(known_.begin(), known_.end()), known_.end());
}

bool trading_days::is_trading_day(const date& d) const {
  if (known_.empty() || d < known_.front() || known_.back() < d) return rule_trading_day(d);
  return std::binary_search(known_.begin(), known_.end(), d);
}

bool trading_days::any_between(const date& after, const date& before) const {
  // The first trading day after `after` decides; no closure lasts long, so this stops early.
  for (date d = add_days(after, 1); d < before; d = add_days(d, 1)) {
    if (is_trading_day(d)) return true;
  }
  return false;
}

}  // namespace karigane
