// The period lists and the period check.
#include "run/period.h"

#include <gtest/gtest.h>

#include "support/recording_context.h"

namespace karigane {
namespace {

using testing::recording_context;

struct period_result {
  date start;
  date end;
  std::int16_t flag;
  std::string message;
};

period_result check(const std::string& y1, const std::string& m1, const std::string& d1,
                    const std::string& y2, const std::string& m2, const std::string& d2,
                    date today = date{2014, 11, 27}) {
  recording_context ctx;
  ctx.fix_now(local_time{today, 10, 0, 0});
  ctx.controls.yyyy_start_cmb = y1;
  ctx.controls.mm_start_cmb = m1;
  ctx.controls.dd_start_cmb = d1;
  ctx.controls.yyyy_end_cmb = y2;
  ctx.controls.mm_end_cmb = m2;
  ctx.controls.dd_end_cmb = d2;
  period_result r{{}, {}, 0, ""};
  kikan_check_sub(ctx, r.start, r.end, r.flag, r.message);
  return r;
}

TEST(PeriodCheck, ImpossibleDaysAreClampedToTheMonthsEnd) {
  EXPECT_EQ(check("2013", "02", "31", "2013", "12", "31").start, (date{2013, 2, 28}));
  EXPECT_EQ(check("2012", "02", "31", "2013", "12", "31").start, (date{2012, 2, 29}));
  EXPECT_EQ(check("2000", "02", "30", "2013", "12", "31").start, (date{2000, 2, 29}));
  EXPECT_EQ(check("2013", "04", "31", "2013", "06", "31").end, (date{2013, 6, 30}));
}

TEST(PeriodCheck, AFutureEndBecomesToday) {
  const period_result r = check("2014", "01", "01", "2014", "12", "31");
  EXPECT_EQ(r.flag, 0);
  EXPECT_EQ(r.end, (date{2014, 11, 27}));
}

TEST(PeriodCheck, FailuresHaveTheirMessages) {
  EXPECT_EQ(check("1982", "12", "31", "2013", "01", "01").message,
            "開始年月日を確認してください。");
  EXPECT_EQ(check("2013", "01", "01", "1982", "01", "01").message,
            "終了年月日を確認してください。");
  const period_result after = check("2013", "02", "01", "2013", "01", "31");
  EXPECT_EQ(after.flag, kTrue);
  EXPECT_EQ(after.message, "開始/終了年月日をご確認ください。");
  const period_result equal = check("2013", "02", "01", "2013", "02", "01");
  EXPECT_EQ(equal.flag, 0);
  EXPECT_EQ(equal.start, equal.end);
}

TEST(PeriodCheck, TextsThatAreNotDatesLeaveTheDateEmptyAndFail) {
  EXPECT_EQ(check("abcd", "01", "01", "2013", "01", "01").message,
            "開始年月日を確認してください。");
  EXPECT_EQ(check("2013", "01", "01", "2013", "x", "01").message,
            "終了年月日を確認してください。");
  EXPECT_EQ(check("", "", "", "2013", "01", "01").flag, kTrue);
}

TEST(PeriodLists, FilledFrom1983AndPresetToThisYear) {
  const period_list_items items = make_period_list_items(date{2014, 11, 27});
  ASSERT_EQ(items.years.size(), 32u);
  EXPECT_EQ(items.years.front(), "1983");
  EXPECT_EQ(items.years.back(), "2014");
  EXPECT_EQ(items.months.front(), "01");
  EXPECT_EQ(items.days.back(), "31");
  control_values c;
  preset_period_lists(c, date{2014, 3, 7});
  EXPECT_EQ(c.yyyy_start_cmb + c.mm_start_cmb + c.dd_start_cmb, "20140101");
  EXPECT_EQ(c.yyyy_end_cmb + c.mm_end_cmb + c.dd_end_cmb, "20140307");
}

TEST(LeapYears, ThroughTheListTexts) {
  std::int16_t leap = 0;
  uruu_check_sub("2000", leap);
  EXPECT_EQ(leap, kTrue);
  uruu_check_sub("1900", leap);
  EXPECT_EQ(leap, kFalse);
  std::string days = "unchanged";
  days_in_month_sub("2013", "13", days);
  EXPECT_EQ(days, "unchanged");
  days_in_month_sub("2012", "02", days);
  EXPECT_EQ(days, "29");
}

}  // namespace
}  // namespace karigane
