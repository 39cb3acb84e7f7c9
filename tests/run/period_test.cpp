// The period lists and the period check.
#include "run/period.h"

#include <gtest/gtest.h>


namespace karigane {
namespace {

struct period_result {
  date start;
  date end;
  int flag;
  std::string message;
};

period_result check(const std::string& y1, const std::string& m1, const std::string& d1,
                    const std::string& y2, const std::string& m2, const std::string& d2,
                    date today = date{2014, 11, 27}) {
  const checked_period c = check_period({y1, m1, d1, y2, m2, d2}, today);
  return {c.period.start, c.period.end, c.outcome.is_ok() ? 0 : -1, c.outcome.message()};
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
  EXPECT_EQ(after.flag, -1);
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
  EXPECT_EQ(check("", "", "", "2013", "01", "01").flag, -1);
}

TEST(PeriodLists, FilledFrom1983AndPresetToThisYear) {
  const period_list_items items = make_period_list_items(date{2014, 11, 27});
  ASSERT_EQ(items.years.size(), 32u);
  EXPECT_EQ(items.years.front(), "1983");
  EXPECT_EQ(items.years.back(), "2014");
  EXPECT_EQ(items.months.front(), "01");
  EXPECT_EQ(items.days.back(), "31");
  const period_texts c = preset_period(date{2014, 3, 7});
  EXPECT_EQ(c.start_year + c.start_month + c.start_day, "20140101");
  EXPECT_EQ(c.end_year + c.end_month + c.end_day, "20140307");
}

TEST(LeapYears, ThroughTheListTexts) {
  EXPECT_EQ(days_in_month_text("2000", "02"), "29");
  EXPECT_EQ(days_in_month_text("1900", "02"), "28");
  EXPECT_EQ(days_in_month_text("2013", "13"), "");
  EXPECT_EQ(days_in_month_text("2012", "02"), "29");
}

}  // namespace
}  // namespace karigane
