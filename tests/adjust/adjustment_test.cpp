// The split adjustment of one price table: single-precision factors, exact date matching,
// flooring, and prices or splits that are not numbers.
#include <gtest/gtest.h>

#include "adjust/price_adjustment.h"
#include "core/cp932.h"
#include "core/file_store.h"
#include "price_fixtures.h"
#include "support/temp_folder.h"
#include "timeseries/price_files.h"

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

// True when every split that met its day could scale the older prices.
bool adjust(const bunkatu_list_t& splits, jikeiretu_data_t& prices) {
  return adjust_prices_for_splits(splits, prices);
}

TEST(Adjustment, OneShareIntoAHundredUsesTheSinglePrecisionHundredth) {
  // 1 / 100 in single precision is 0.0099999998, so 12300 becomes 122, not 123.
  jikeiretu_data_t prices = price_table(
      "1301", {"20130101,12345,12300,12399,12345,5000", "20130102,12300,12300,12300,12300,6000",
               "20130103,100,199,99,12345,7000", "20130104,12345,12300,12345,12345,8000",
               "20130105,1234.5,1234.5,1234.5,1234.5,9000"});
  EXPECT_TRUE(adjust(split_table("1301", {"20130104,1,100"}), prices));
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
    EXPECT_FALSE(adjust(split_table("1301", {"20100105,1,2", bad}), prices)) << bad;
    EXPECT_EQ(closes(prices), (std::vector<std::string>{"300", "300", "100"})) << bad;
  }
}

TEST(Adjustment, FractionalShareCountsScale) {
  // 1 share into 1.1: 1100 before the split becomes 1000.
  jikeiretu_data_t prices = price_table("1301", {day("20130103", "1100"), day("20130104", "1000")});
  adjust(split_table("1301", {"20130104,1,1.1"}), prices);
  EXPECT_EQ(closes(prices), (std::vector<std::string>{"1000", "1000"}));
}

TEST(Adjustment, TheByteWayWritesWhatTheTableWayWrites) {
  // Price files (CP932 bytes) and split lists; the adjusted file made from the bytes must be
  // the one the table way (read, adjust_prices_for_splits, write) makes, or be refused.
  const std::string header = utf8_to_cp932("1301,東証1部,極洋,20100104,20120106,");
  struct file_case {
    std::string bytes;
    std::vector<std::string> splits;
    bool byte_way;  // whether the byte way takes the file
  };
  const std::vector<file_case> cases = {
      {header + "3\r\n20100104,600,601,599,600,100\r\n20100105,300,301,299,300,200\r\n"
                "20120106,1234.5,1235,1234,1234,300\r\n",
       {"20100105,1,2", "20120105,1,3"}, true},
      {header + "3\r\n20100104,600,601,599,600,100\r\n20120105,300,301,299,300,200\r\n"
                "20120106,100,100,100,100,300\r\n",
       {"20100105,1,2", "20120105,1,3"}, true},
      // LF and lone CR line ends, a last row without one, blank lines after the rows.
      {header + "3\n20100104,600,601,599,600,100\r20100105,300,301,299,300,200\r\n"
                "20120106,99,99,99,99,300",
       {"20100105,1,100"}, true},
      {header + "2\r\n20100104,601,601,601,601,100\r\n20100105,3,3,3,3,200\r\n\r\n \r\n",
       {"20100105,1,2"}, true},
      // Texts that are not plain integers, fractional and unusable share counts, dates that
      // match by value only.
      {header + "3\r\n20100104,---,,12a,1e3,0\r\n20100105,-3,+7.9,.5,1234.,1.5\r\n"
                "20120106,99999999999999999999,1,1,1,1\r\n",
       {" 20100105,1,1.1", "020120106,0,3"}, true},
      {header + "1\r\n20100104,10,10,10,10,1\r\n", {}, true},
      {utf8_to_cp932(" 998 , 大証 ,日経, 20100104,20100105, 2 \r\n") +
           "20100104,1234.5,1,1,1,1\r\n20100105,7,7,7,7,7\r\n",
       {"20100105,1,2"}, true},
      {header + "0\r\n", {"20100105,1,2"}, true},
      // Blanks around fields and bytes outside ASCII in the rows: the reader changes them.
      {header + "1\r\n20100104, 600,600,600,600,100\r\n", {"20100104,1,2"}, false},
      {header + "1\r\n20100104,600,600,600,600,1\x82\x4F\r\n", {"20100104,1,2"}, false},
  };
  testing::temp_folder dir;
  for (std::size_t c = 0; c < cases.size(); ++c) {
    const file_case& fc = cases[c];
    const std::string source = dir.path() + std::to_string(c) + ".csv";
    const std::string target = dir.path() + std::to_string(c) + "_adjusted.csv";
    testing::write_bytes(source, fc.bytes);
    const bunkatu_list_t splits = split_table("1301", fc.splits);
    jikeiretu_data_t prices;
    ASSERT_EQ(read_dated_file(source, prices, kPriceFile, false), status::ok) << c;
    adjust(splits, prices);
    ASSERT_TRUE(write_dated_file(target, prices, kPriceFile, false));

    data_file_layout layout;
    ASSERT_EQ(scan_data_file(fc.bytes, kPriceFileWidth, kPriceCount, layout), layout_scan::ok) << c;
    // Work memory left from a larger file, or none that must grow: only the returned bytes
    // count.
    std::string work(c % 2 ? 100000 : 0, 'x');
    const std::optional<std::string_view> out = adjusted_price_file(fc.bytes, layout, splits, work);
    ASSERT_EQ(out.has_value(), fc.byte_way) << c;
    if (fc.byte_way) {
      EXPECT_EQ(*out, testing::file_bytes(target)) << c;
    }
  }
}

}  // namespace
}  // namespace karigane
