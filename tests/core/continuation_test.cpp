// Taking up stored data: where a collection with "保存データの続きから" starts and ends for daily
// and weekly rows, the trading days it counts on, and the newest row of a stored file.
#include "core/stored_continuation.h"

#include <gtest/gtest.h>

#include "core/file_store.h"
#include "core/trading_days.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::temp_folder;

date d(int y, int m, int day) { return date{y, m, day}; }
local_time at(const date& day, int hour) { return local_time{day, hour, 0, 0}; }

struct continuation_case {
  const char* what;
  collection_period period;
  std::optional<date> newest;
  local_time now;
  std::optional<collection_period> expected;
};

TEST(Continuation, DailyRowsStartAfterTheNewestRowAndEndOnTheLastFinalDay) {
  const collection_period two_years{d(2013, 1, 1), d(2014, 12, 5)};
  const local_time monday_evening = at(d(2014, 12, 8), 18);
  const std::vector<continuation_case> cases = {
      {"no stored file", two_years, std::nullopt, monday_evening, two_years},
      {"stored rows end before the period", two_years, d(2012, 6, 1), monday_evening, two_years},
      {"current", two_years, d(2014, 12, 5), monday_evening, std::nullopt},
      {"newer than the period", two_years, d(2014, 12, 8), monday_evening, std::nullopt},
      {"one day missing", two_years, d(2014, 12, 4), monday_evening,
       collection_period{d(2014, 12, 5), d(2014, 12, 5)}},
      {"two years back", {d(2012, 1, 1), d(2014, 12, 5)}, d(2012, 12, 28), monday_evening,
       collection_period{d(2012, 12, 29), d(2014, 12, 5)}},
      {"only a weekend after Friday", {d(2014, 1, 1), d(2014, 12, 7)}, d(2014, 12, 5),
       monday_evening, std::nullopt},
      {"only the year-end closure", {d(2014, 1, 1), d(2015, 1, 4)}, d(2014, 12, 30),
       at(d(2015, 1, 5), 9), std::nullopt},
      {"today before the close is not final", {d(2014, 1, 1), d(2014, 12, 8)}, d(2014, 12, 5),
       at(d(2014, 12, 8), 15), std::nullopt},
      {"before the close the period ends yesterday", {d(2014, 1, 1), d(2014, 12, 8)},
       d(2014, 12, 4), at(d(2014, 12, 8), 10), collection_period{d(2014, 12, 5), d(2014, 12, 7)}},
      {"from the close on today counts", {d(2014, 1, 1), d(2014, 12, 8)}, d(2014, 12, 5),
       at(d(2014, 12, 8), kFinalHour), collection_period{d(2014, 12, 6), d(2014, 12, 8)}},
      {"no file, before the close", {d(2014, 12, 1), d(2014, 12, 8)}, std::nullopt,
       at(d(2014, 12, 8), 10), collection_period{d(2014, 12, 1), d(2014, 12, 7)}},
  };
  for (const continuation_case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(daily_continuation(c.period, c.newest, c.now), c.expected);
  }
}

TEST(Continuation, WeeklyRowsAreAskedForOnceTheNextWeekIsOver) {
  const local_time monday = at(d(2014, 12, 8), 18);
  const std::vector<continuation_case> cases = {
      {"no stored file", {d(2014, 1, 1), d(2014, 12, 8)}, std::nullopt, monday,
       collection_period{d(2014, 1, 1), d(2014, 12, 8)}},
      {"last week's row is missing", {d(2014, 1, 1), d(2014, 12, 5)}, d(2014, 11, 28), monday,
       collection_period{d(2014, 11, 29), d(2014, 12, 5)}},
      {"this week is not over", {d(2014, 1, 1), d(2014, 12, 8)}, d(2014, 12, 5), monday,
       std::nullopt},
      {"the next week is over", {d(2014, 1, 1), d(2014, 12, 12)}, d(2014, 12, 5),
       at(d(2014, 12, 13), 9), collection_period{d(2014, 12, 6), d(2014, 12, 12)}},
      {"a Thursday row (Friday holiday), period ends that Sunday", {d(2014, 1, 1), d(2014, 12, 7)},
       d(2014, 12, 4), monday, std::nullopt},
      {"the short week at the year's end", {d(2014, 1, 1), d(2014, 12, 30)}, d(2014, 12, 26),
       at(d(2015, 1, 5), 9), collection_period{d(2014, 12, 27), d(2014, 12, 30)}},
  };
  for (const continuation_case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(weekly_continuation(c.period, c.newest, c.now.day), c.expected);
  }
}

TEST(Continuation, TradingDaysFollowTheRuleAndTheMarketsOwnDaysWhereKnown) {
  // 13 January 2014 was a Monday holiday; the market's days say so, the rule cannot.
  const trading_days rule;
  const trading_days market({d(2014, 1, 6), d(2014, 1, 7), d(2014, 1, 8), d(2014, 1, 9),
                             d(2014, 1, 10), d(2014, 1, 14)});
  EXPECT_TRUE(rule.any_between(d(2014, 1, 10), d(2014, 1, 14)));
  EXPECT_FALSE(market.any_between(d(2014, 1, 10), d(2014, 1, 14)));
  EXPECT_TRUE(market.any_between(d(2014, 1, 8), d(2014, 1, 14)));
  // Before the known days the rule holds again.
  EXPECT_TRUE(market.any_between(d(2014, 1, 2), d(2014, 1, 7)));
  EXPECT_FALSE(rule.any_between(d(2013, 12, 30), d(2014, 1, 6)));
  EXPECT_FALSE(rule.any_between(d(2014, 12, 5), d(2014, 12, 8)));
  EXPECT_EQ(day_of_week(d(2014, 12, 8)), 1);
}

TEST(Continuation, TheNewestStoredRowOrWhyItCannotBeKnown) {
  temp_folder dir;
  struct file_case {
    const char* what;
    std::string bytes;  // "" writes no file
    status::code expected;
    std::optional<date> newest;
  };
  const std::vector<file_case> cases = {
      {"missing", "", status::missing, std::nullopt},
      {"no rows", "1301,東証1部,X,,,0\r\n", status::ok, std::nullopt},
      {"two rows", "1301,東証1部,X,20130104,20130107,2\r\n20130104,1,2,3,4,5\r\n"
                   "20130107,1,2,3,4,5\r\n",
       status::ok, d(2013, 1, 7)},
      {"quoted", "1301,\"東証1部\",X,20130104,20130104,1\r\n20130104,1,2,3,4,5\r\n",
       status::ok, d(2013, 1, 4)},
      {"fewer rows than its count", "1301,東証1部,X,20130104,20130107,3\r\n20130104,1,2,3,4,5\r\n",
       status::damaged, std::nullopt},
      {"a newest row without a date", "1301,東証1部,X,20130104,20130107,1\r\nlast,1,2,3,4,5\r\n",
       status::damaged, std::nullopt},
  };
  for (const file_case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.path() + c.what + ".csv";
    if (!c.bytes.empty()) testing::write_cp932(path, c.bytes);
    std::optional<date> newest = d(1999, 1, 1);
    EXPECT_EQ(newest_stored_row(path, 6, 5, newest), c.expected);
    EXPECT_EQ(newest, c.newest);
  }
  ASSERT_TRUE(ensure_folder(dir.path() + "folder.csv"));
  std::optional<date> newest;
  EXPECT_EQ(newest_stored_row(dir.path() + "folder.csv", 6, 5, newest), status::io_error);
}

}  // namespace
}  // namespace karigane
