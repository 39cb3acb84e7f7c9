// The quote site's data set: calendar, real and generated rows, splits, the seed and "today".
#include "market_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data_set_loader.h"
#include "site_fixture.h"
#include "support/temp_folder.h"

namespace karigane::quote_site {
namespace {

using testing::factory_data;

price_row row_of(const market_data& data, const std::string& code, const date& d) {
  const stock_info* s = data.find(code);
  EXPECT_NE(s, nullptr) << code;
  const date days[] = {d};
  return data.daily_rows(*s, days).front();
}

TEST(MarketData, TradesOnTheRealIndexDaysAndOnWeekdaysOutsideYearEndBeyondThem) {
  const market_data& data = factory_data(1, "2026-01-10T12:00");
  const auto& cal = data.calendar();
  EXPECT_FALSE(cal.is_trading_day({2013, 2, 11}));  // a holiday in the real series
  EXPECT_TRUE(cal.is_trading_day({2013, 2, 12}));
  EXPECT_FALSE(cal.is_trading_day({1983, 1, 1}));
  // Beyond the real series (it ends in November 2025) the rule holds.
  std::vector<date> expected{{2025, 12, 29}, {2025, 12, 30}, {2026, 1, 5}, {2026, 1, 6},
                             {2026, 1, 7},   {2026, 1, 8},   {2026, 1, 9}};
  const auto span = cal.between({2025, 12, 27}, {2026, 1, 11});
  EXPECT_EQ(std::vector<date>(span.begin(), span.end()), expected);
  EXPECT_EQ(cal.days().back(), (date{2026, 1, 9}));
}

TEST(MarketData, ServesRealRowsAndMeetsThemWithGeneratedOnes) {
  const market_data& data = factory_data();
  const price_row toyota = row_of(data, "7203", {2013, 1, 4});
  EXPECT_EQ(toyota.open, 420000);
  EXPECT_EQ(toyota.high, 426000);
  EXPECT_EQ(toyota.low, 416500);
  EXPECT_EQ(toyota.close, 426000);
  EXPECT_EQ(toyota.volume, 15439700);
  EXPECT_EQ(toyota.adjusted_close, 426000);
  const price_row nikkei = row_of(data, "1001", {2013, 1, 4});
  EXPECT_EQ(nikkei.close, 1068811);
  EXPECT_EQ(nikkei.volume, 219000000);
  // The generated rows before the real file start near its first close (8,090 yen).
  const price_row before = row_of(data, "7203", {2006, 12, 29});
  EXPECT_GT(before.close, 8090 * 100 * 0.8);
  EXPECT_LT(before.close, 8090 * 100 * 1.25);
  EXPECT_LE(before.low, std::min(before.open, before.close));
  EXPECT_GE(before.high, std::max(before.open, before.close));
}

TEST(MarketData, JumpsByTheSplitRatioAndAdjustsToTodaysShares) {
  // 1378: real prices, splits 1:1.3 on 2004-12-27 and 1:1.2 on 2009-03-26.
  const market_data& data = factory_data();
  const price_row real = row_of(data, "1378", {2004, 12, 24});
  EXPECT_EQ(real.close, 72700);
  EXPECT_EQ(real.adjusted_close, 46603);  // 727 / (1.3 x 1.2)
  const stock_info& s = *data.find("1378");
  const auto splits = data.splits(s, {2004, 1, 1}, {2010, 12, 31});
  ASSERT_EQ(splits.size(), 2u);
  EXPECT_EQ(splits[0].day, (date{2004, 12, 27}));
  EXPECT_EQ(splits[0].before, "1");
  EXPECT_EQ(splits[0].after, "1.3");

  // 1301: generated prices across the reverse split 1:0.1 of 2016-09-28.
  const market_data& later = factory_data(1, "2017-06-30T16:00");
  const price_row eve = row_of(later, "1301", {2016, 9, 27});
  const price_row day = row_of(later, "1301", {2016, 9, 28});
  const double jump = static_cast<double>(day.close) / static_cast<double>(eve.close);
  EXPECT_GT(jump, 7.0);
  EXPECT_LT(jump, 14.0);
  const double adjusted = static_cast<double>(day.adjusted_close) / static_cast<double>(eve.adjusted_close);
  EXPECT_GT(adjusted, 0.8);
  EXPECT_LT(adjusted, 1.25);
  EXPECT_EQ(eve.adjusted_close, std::llround(eve.close / 0.1));
}

TEST(MarketData, EndsAtTodayAndIgnoresLaterSplits) {
  const market_data& data = factory_data();  // today 2013-02-20
  const stock_info& s = *data.find("1301");
  const auto days = data.trading_days(s, {2013, 2, 1}, {2013, 12, 31});
  ASSERT_FALSE(days.empty());
  EXPECT_EQ(days.back(), (date{2013, 2, 20}));
  EXPECT_TRUE(data.splits(s, {2000, 1, 1}, {2020, 1, 1}).empty());
  const price_row r = row_of(data, "1301", {2013, 1, 4});
  EXPECT_EQ(r.adjusted_close, r.close);
}

TEST(MarketData, GeneratesTheSameRowsForTheSameSeedOnly) {
  const date d{2013, 1, 4};
  EXPECT_EQ(row_of(factory_data(1), "1301", d).close, row_of(factory_data(1), "1301", d).close);
  const price_row a = row_of(factory_data(1), "1301", d);
  const price_row b = row_of(factory_data(7), "1301", d);
  EXPECT_NE(std::tie(a.open, a.close, a.volume), std::tie(b.open, b.close, b.volume));
  // Real rows do not depend on the seed.
  EXPECT_EQ(row_of(factory_data(7), "7203", d).close, 426000);
  // Every stock of the factory list and the four indexes are there.
  EXPECT_GT(factory_data().stocks().all().size(), 3500u);
  for (const char* code : {"1001", "1002", "1003", "1004", "1301", "9997"}) {
    EXPECT_NE(factory_data().find(code), nullptr) << code;
  }
}

TEST(MarketData, RefusesDataFilesItCannotRead) {
  testing::temp_folder folder;
  market_sources sources;
  std::string error;
  EXPECT_FALSE(load_folder_sources(folder.path(), "", sources, error));
  EXPECT_NE(error.find("stocks.csv"), std::string::npos);
  testing::write_bytes(folder.path() + "stocks.csv", "code,market_letter,market_name,name\n1301,t,東証1部,A\n");
  testing::write_bytes(folder.path() + "splits.csv", "code,date,before,after\n1301,20130230,1,2\n");
  EXPECT_FALSE(load_folder_sources(folder.path(), "", sources, error));
  EXPECT_NE(error.find("splits.csv: line 2"), std::string::npos);
  testing::write_bytes(folder.path() + "splits.csv", "code,date,before,after\n1301,20130226,1,0.001\n");
  testing::write_bytes(folder.path() + "prices/1301.csv", "date,open,high,low,close,volume\n20130104,1,2,x,1,5\n");
  EXPECT_FALSE(load_folder_sources(folder.path(), "", sources, error));
  EXPECT_NE(error.find("1301.csv: line 2"), std::string::npos);
}

}  // namespace
}  // namespace karigane::quote_site
