// Trading days as far as the program can tell them. The exchange's calendar is not among the
// site's pages, so the rule is Monday to Friday except 31 December to 3 January (the exchange
// is always closed then); public holidays on weekdays are unknown to it. A run that has seen
// the market's own days (the index chart lists its last sixty or so) knows them for that span,
// holidays included, and falls back on the rule outside it.
#pragma once

#include <vector>

#include "core/dates.h"

namespace karigane {

// 0 = Sunday ... 6 = Saturday.
int day_of_week(const date& d);

// Monday to Friday, except 31 December to 3 January.
bool rule_trading_day(const date& d);

// The hour from which a day's prices are final (the latest-day file is final from then on).
inline constexpr int kFinalHour = 16;

// The newest day whose prices are final at `now`: today from kFinalHour on, else yesterday.
date last_final_day(const local_time& now);

class trading_days {
 public:
  // The rule alone.
  trading_days() = default;
  // The market's days from known.front() to known.back() (any order; duplicates are fine);
  // the rule outside that span.
  explicit trading_days(std::vector<date> known);

  bool is_trading_day(const date& d) const;
  // Whether a trading day lies strictly between `after` and `before`.
  bool any_between(const date& after, const date& before) const;

 private:
  std::vector<date> known_;  // ascending, unique
};

}  // namespace karigane
