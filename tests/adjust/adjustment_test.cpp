// The split adjustment of one price table: single-precision factors, exact date matching,
// flooring, and prices or splits that are not numbers.
#include <gtest/gtest.h>

#include "adjust/price_adjustment.h"
#include "price_fixtures.h"

namespace karigane {
namespace {

using testing::day;
using testing::price_table;
using testing::split_table;

// The closes of rows 1..n, oldest first.
std::vector<std::string> closes(const jikeiretu_data_t& t) {
  std::vector<std::string> out;
  for (std::size_t i = 1; i < t.size(); ++i) out.push_back(t[i][4]);
  return out;
}

std::int16_t adjust(const bunkatu_list_t& splits, jikeiretu_data_t& prices) {
  std::int16_t flag = 99;
  jikeiretu_hosei_sub(splits, prices, flag);
  return flag;
}

TEST(Adjustment, OneShareIntoAHundredUsesTheSinglePrecisionHundredth) {
  // 1 / 100 in single precision is 0.0099999998, so 12300 becomes 122, not 123.
  jikeiretu_data_t prices = price_table(
      "1301", {"20130101,12345,12300,12399,12345,5000", "20130102,12300,12300,12300,12300,6000",
               "20130103,100,199,99,12345,7000", "20130104,12345,12300,12345,12345,8000",
               "20130105,1234.5,1234.5,1234.5,1234.5,9000"});
  EXPECT_EQ(adjust(split_table("1301", {"20130104,1,100"}), prices), 0);
  EXPECT_EQ(prices[1], (jikeiretu_row{"20130101", "123", "122", "123", "123", "5000", ""}));
  EXPECT_EQ(prices[2], (jikeiretu_row{"20130102", "122", "122", "122", "122", "6000", ""}));
  EXPECT_EQ(prices[3], (jikeiretu_row{"20130103", "0", "1", "0", "123", "7000", ""}));
  // The split day and later keep the factor in force after the split: only floored.
  EXPECT_EQ(prices[4], (jikeiretu_row{"20130104", "12345", "12300", "12345", "12345", "8000", ""}));
  EXPECT_EQ(prices[5], (jikeiretu_row{"20130105", "1234", "1234", "1234", "1234", "9000", ""}));
  EXPECT_EQ(prices[0][5], "5");
}

TEST(Adjustment, TwoSplitsScaleOlderRowsBySixthsAndThirds) {
  jikeiretu_data_t prices =
      price_table("1301", {day("20091230", "6000"), day("20100104", "601"), day("20100105", "3000"),
                           day("20120104", "3001"), day("20120105", "1000"),
                           day("20120106", "1001")});
  adjust(split_table("1301", {"20100105,1,2", "20120105,1,3"}), prices);
  EXPECT_EQ(closes(prices), (std::vector<std::string>{"1000", "100", "1000", "1000", "1000",
                                                      "1001"}));
}

TEST(Adjustment, ASplitOnADayWithoutPricesHoldsBackEveryOlderSplit) {
  jikeiretu_data_t prices = price_table(
      "1301", {day("20100104", "600"), day("20100105", "300"), day("20120106", "1234.5")});
  // 20120105 is not a trading day of the table: neither split applies, prices are floored.
  adjust(split_table("1301", {"20100105,1,2", "20120105,1,3"}), prices);
  EXPECT_EQ(closes(prices), (std::vector<std::string>{"600", "300", "1234"}));
}

TEST(Adjustment, SplitDatesMatchByTheirValue) {
  jikeiretu_data_t prices = price_table("1301", {day("20100104", "600"), day("20100105", "300"),
                                                 day("20120104", "90"), day("20120105", "30")});
  adjust(split_table("1301", {" 20100105,1,2", "020120105,1,3"}), prices);
  EXPECT_EQ(closes(prices), (std::vector<std::string>{"100", "100", "30", "30"}));
}

TEST(Adjustment, WithoutSplitsEveryPriceIsFlooredAndDatesAndVolumesStay) {
  jikeiretu_data_t prices =
      price_table("1301", {"20130104,1234.5,1235.99,0.5,1234,12345.6"});
  adjust(split_table("1301", {}), prices);
  EXPECT_EQ(prices[1], (jikeiretu_row{"20130104", "1234", "1235", "0", "1234", "12345.6", ""}));
}

TEST(Adjustment, IndexCodesBelowOneThousandAreLeftAsTheyAre) {
  jikeiretu_data_t prices = price_table("998", {day("20130103", "1234.5"), day("20130104", "99")});
  const jikeiretu_data_t before = prices;
  adjust(split_table("998", {"20130104,1,2"}), prices);
  EXPECT_EQ(prices, before);
}

TEST(Adjustment, PricesThatAreNotNumbersKeepTheirText) {
  // The update writes "---" for a stock that did not trade; Val would have made it 0.
  jikeiretu_data_t prices = price_table(
      "1301", {"20130103,---,---,---,---,0", "20130104,,12a,1.2.3,1e3,100",
               "20130105,200,200,200,200,100"});
  adjust(split_table("1301", {"20130105,1,2"}), prices);
  EXPECT_EQ(prices[1], (jikeiretu_row{"20130103", "---", "---", "---", "---", "0", ""}));
  EXPECT_EQ(prices[2], (jikeiretu_row{"20130104", "", "12a", "1.2.3", "1e3", "100", ""}));
  EXPECT_EQ(prices[3][4], "200");
}

TEST(Adjustment, PriceTextsAreReadStrictlyAndLargeValuesStayIntact) {
  EXPECT_EQ(adjusted_price_text(" 1500 ", 0.5f), "750");
  EXPECT_EQ(adjusted_price_text("-3", 0.5f), "-2");
  EXPECT_EQ(adjusted_price_text("+7.9", 1.0f), "7");
  EXPECT_EQ(adjusted_price_text(".5", 1.0f), "0");
  EXPECT_EQ(adjusted_price_text("1234.", 1.0f), "1234");
  // Twenty digits do not fit the integer the floor is written from.
  EXPECT_EQ(adjusted_price_text("99999999999999999999", 1.0f), "99999999999999999999");
}

TEST(Adjustment, ASplitWithoutUsableShareCountsIsPassedOverWithoutSpoilingPrices) {
  const std::vector<std::string> unusable{
      "20120105,1,0", "20120105,1,---", "20120105,0,3", "20120105,,3",
      // factors that single precision cannot hold: 0 and infinity
      "20120105,1,1" + std::string(50, '0'), "20120105,1" + std::string(50, '0') + ",1"};
  for (const std::string& bad : unusable) {
    jikeiretu_data_t prices = price_table(
        "1301", {day("20100104", "600"), day("20100105", "300"), day("20120105", "100")});
    // The unusable newer split is consumed by its date, so the older one still applies.
    EXPECT_EQ(adjust(split_table("1301", {"20100105,1,2", bad}), prices), -1) << bad;
    EXPECT_EQ(closes(prices), (std::vector<std::string>{"300", "300", "100"})) << bad;
  }
}

TEST(Adjustment, FractionalShareCountsScale) {
  // 1 share into 1.1: 1100 before the split becomes 1000.
  jikeiretu_data_t prices = price_table("1301", {day("20130103", "1100"), day("20130104", "1000")});
  adjust(split_table("1301", {"20130104,1,1.1"}), prices);
  EXPECT_EQ(closes(prices), (std::vector<std::string>{"1000", "1000"}));
}

}  // namespace
}  // namespace karigane
