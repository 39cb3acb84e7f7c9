// The market's trading days from the first day of the data set to its "today": the days of a
// real index series where one covers the span, and outside it a simple rule: Monday to Friday,
// except 31 December to 3 January, when the exchange is closed.
#pragma once

#include <span>
#include <vector>

#include "core/dates.h"

namespace karigane::quote_site {

class trading_calendar {
 public:
  trading_calendar() = default;

  // Days from `first` to `last`; `real_days` (ascending) replace the rule from their first to
  // their last day.
  trading_calendar(date first, date last, const std::vector<date>& real_days);

  static bool rule_trading_day(const date& d);

  // The trading days in [from, to], ascending.
  std::span<const date> between(const date& from, const date& to) const;

  bool is_trading_day(const date& d) const;
  const std::vector<date>& days() const { return days_; }

 private:
  std::vector<date> days_;
};

// 0 = Sunday ... 6 = Saturday.
int weekday(const date& d);

}  // namespace karigane::quote_site
