// Dates: day arithmetic, leap years and the date texts.
#include "core/dates.h"

#include <gtest/gtest.h>

namespace karigane {
namespace {

TEST(Dates, DayArithmeticAcrossMonthsYearsAndLeapDays) {
  EXPECT_EQ(add_days(date{2013, 2, 19}, -49), (date{2013, 1, 1}));
  EXPECT_EQ(add_days(date{2012, 2, 28}, 1), (date{2012, 2, 29}));
  EXPECT_EQ(add_days(date{2013, 2, 28}, 1), (date{2013, 3, 1}));
  EXPECT_EQ(add_days(date{2000, 12, 31}, 1), (date{2001, 1, 1}));
  EXPECT_EQ(days_between(date{1983, 1, 1}, date{2014, 11, 27}), 11653);
  EXPECT_EQ(civil_from_days(days_from_civil(date{1900, 3, 1})), (date{1900, 3, 1}));
}

TEST(Dates, LeapYearsFollowTheGregorianRule) {
  EXPECT_TRUE(is_leap_year(2000));
  EXPECT_FALSE(is_leap_year(1900));
  EXPECT_TRUE(is_leap_year(2012));
  EXPECT_FALSE(is_leap_year(2013));
  EXPECT_EQ(days_in_month(2012, 2), 29);
  EXPECT_EQ(days_in_month(2013, 13), 0);
}

TEST(Dates, Texts) {
  EXPECT_EQ(yyyymmdd(date{2013, 1, 5}), "20130105");
  EXPECT_EQ(slash_text(date{2013, 1, 5}), "2013/01/05");
  EXPECT_EQ(parse_date_text("2013/1/5"), (date{2013, 1, 5}));
  EXPECT_EQ(parse_date_text(" 2013 / 02 / 28 "), (date{2013, 2, 28}));
  EXPECT_FALSE(parse_date_text("2013/02/31"));
  EXPECT_FALSE(parse_date_text("abc/1/1"));
  EXPECT_FALSE(parse_date_text("2013/1"));
  EXPECT_FALSE(parse_date_text("2013/1/1/1"));
  EXPECT_EQ(parse_yyyymmdd("20121228"), (date{2012, 12, 28}));
  EXPECT_FALSE(parse_yyyymmdd("2012122"));
  const auto t = parse_local_time("2014-11-27T10:35");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->day, (date{2014, 11, 27}));
  EXPECT_EQ(t->hour, 10);
  EXPECT_EQ(t->minute, 35);
  EXPECT_FALSE(parse_local_time("2014-11-27"));
}

}  // namespace
}  // namespace karigane
