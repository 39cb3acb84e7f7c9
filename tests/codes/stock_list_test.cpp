// The stock list: reading, the restore from the factory copy, writing.
#include "codes/stock_list.h"

#include <gtest/gtest.h>

#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::temp_folder;

struct list_read {
  stock_list list;
  status outcome;
};

list_read read_list(const std::string& folder) {
  recording_context ctx(folder);
  list_read r;
  r.outcome = read_stock_list(ctx, ctx.layout(), r.list);
  return r;
}

TEST(StockList, AMissingFileIsReported) {
  temp_folder dir;
  const list_read r = read_list(dir.path());
  EXPECT_EQ(r.outcome, status::missing);
  EXPECT_EQ(r.outcome.message(), "銘柄リストがありません。");
}

TEST(StockList, CountZeroGivesAnEmptyListWithoutError) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "0,20141127,市場名,銘柄名\r\n");
  const list_read r = read_list(dir.path());
  EXPECT_TRUE(r.outcome.is_ok());
  EXPECT_EQ(r.list.entries.size(), 0u);
}

TEST(StockList, ACountAbove9000RestoresTheFactoryCopy) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "9001,x,y,z\r\n1301,t,東証1部,a\r\n");
  testing::write_cp932(dir.path() + "meigara_list_org.csv",
                       "1,20120921,市場名,銘柄名\r\n1332,t,東証1部,日本水産(株)\r\n");
  const list_read r = read_list(dir.path());
  EXPECT_TRUE(r.outcome.is_ok());
  ASSERT_EQ(r.list.entries.size(), 1u);
  EXPECT_EQ(r.list.entries[0].name, "日本水産(株)");
  EXPECT_EQ(testing::file_bytes(dir.path() + "meigara_list.csv"),
            testing::file_bytes(dir.path() + "meigara_list_org.csv"));
}

TEST(StockList, WithoutItsOwnFactoryCopyTheInstalledOneRestores) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "9001,x,y,z\r\n");
  const list_read r = read_list(dir.path());
  ASSERT_GT(r.list.entries.size(), 3000u);
  EXPECT_EQ(r.list.entries[0].code, "1001");
  const stock_entry* kyokuyo = find_stock(r.list, "1301");
  ASSERT_NE(kyokuyo, nullptr);
  EXPECT_EQ(kyokuyo->market_letter, "t");
  EXPECT_EQ(kyokuyo->market_name, "東証1部");
  EXPECT_EQ(kyokuyo->name, "(株)極洋");
}

TEST(StockList, ACountLargerThanTheLinesReadsWhatIsThere) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "5,x,y,z\r\n1301,t,東証1部,a\r\n");
  const list_read r = read_list(dir.path());
  EXPECT_TRUE(r.outcome.is_ok());
  EXPECT_EQ(r.list.entries.size(), 1u);
}

TEST(StockList, WriteThenReadGivesTheSameFields) {
  temp_folder dir;
  recording_context ctx(dir.path());
  const stock_list list{"20141127", "市場名", "銘柄名", true,
                        {{"1301", "t", "東証1部", "(株)極洋"},
                         {"8682", "", "大証外国部", "ＭＳ・アジア‐パシフィック"}}};
  EXPECT_TRUE(write_stock_list(ctx, ctx.layout(), list).is_ok());
  const std::string bytes = testing::file_bytes(dir.path() + "meigara_list.csv");
  EXPECT_EQ(bytes.substr(0, 13), "2,20141127,\x8E\x73");  // CP932 "市"
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
  const list_read r = read_list(dir.path());
  EXPECT_EQ(r.list.renewed_on, list.renewed_on);
  EXPECT_EQ(r.list.header_market, list.header_market);
  EXPECT_EQ(r.list.header_name, list.header_name);
  ASSERT_EQ(r.list.entries.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(r.list.entries[i].code, list.entries[i].code);
    EXPECT_EQ(r.list.entries[i].market_letter, list.entries[i].market_letter);
    EXPECT_EQ(r.list.entries[i].market_name, list.entries[i].market_name);
    EXPECT_EQ(r.list.entries[i].name, list.entries[i].name);
  }
}

TEST(StockList, AWriteFailureIsReportedAndTheOldFileStays) {
  temp_folder dir;
  recording_context ctx(dir.path() + "missing-folder/");
  const status written = write_stock_list(ctx, ctx.layout(), stock_list{});
  EXPECT_EQ(written, status::failed);
  EXPECT_EQ(written.message(), "銘柄リストをファイルに書き込めません。");
}

}  // namespace
}  // namespace karigane
