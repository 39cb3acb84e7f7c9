// The stock list: reading, the restore from the factory copy, writing.
#include "codes/stock_list.h"

#include <gtest/gtest.h>

#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::temp_folder;

struct read_result {
  meigara_list_t list;
  std::int16_t flag = 0;
  std::string message;
};

read_result read_list(const std::string& folder) {
  recording_context ctx(folder);
  read_result r;
  read_meigara_list_sub(ctx, r.list, r.flag, r.message);
  return r;
}

TEST(StockList, AMissingFileIsReported) {
  temp_folder dir;
  const read_result r = read_list(dir.path());
  EXPECT_EQ(r.flag, kTrue);
  EXPECT_EQ(r.message, "銘柄リストがありません。");
}

TEST(StockList, CountZeroGivesAnEmptyListWithoutError) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "0,20141127,市場名,銘柄名\r\n");
  const read_result r = read_list(dir.path());
  EXPECT_EQ(r.flag, 0);
  EXPECT_EQ(meigara_count(r.list), 0u);
}

TEST(StockList, ACountAbove9000RestoresTheFactoryCopy) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "9001,x,y,z\r\n1301,t,東証1部,a\r\n");
  testing::write_cp932(dir.path() + "meigara_list_org.csv",
                       "1,20120921,市場名,銘柄名\r\n1332,t,東証1部,日本水産(株)\r\n");
  const read_result r = read_list(dir.path());
  EXPECT_EQ(r.flag, 0);
  ASSERT_EQ(meigara_count(r.list), 1u);
  EXPECT_EQ(r.list[1].meigara_name, "日本水産(株)");
  EXPECT_EQ(testing::file_bytes(dir.path() + "meigara_list.csv"),
            testing::file_bytes(dir.path() + "meigara_list_org.csv"));
}

TEST(StockList, WithoutItsOwnFactoryCopyTheInstalledOneRestores) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "9001,x,y,z\r\n");
  const read_result r = read_list(dir.path());
  ASSERT_GT(meigara_count(r.list), 3000u);
  EXPECT_EQ(r.list[1].d1_meigarasuu_meigaracode, "1001");
  const meigara_entry* kyokuyo = find_meigara(r.list, "1301");
  ASSERT_NE(kyokuyo, nullptr);
  EXPECT_EQ(kyokuyo->market_code, "t");
  EXPECT_EQ(kyokuyo->market_name, "東証1部");
  EXPECT_EQ(kyokuyo->meigara_name, "(株)極洋");
}

TEST(StockList, ACountLargerThanTheLinesReadsWhatIsThere) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv", "5,x,y,z\r\n1301,t,東証1部,a\r\n");
  const read_result r = read_list(dir.path());
  EXPECT_EQ(r.flag, 0);
  EXPECT_EQ(meigara_count(r.list), 1u);
}

TEST(StockList, WriteThenReadGivesTheSameFields) {
  temp_folder dir;
  recording_context ctx(dir.path());
  const meigara_list_t list{{"2", "20141127", "市場名", "銘柄名"},
                            {"1301", "t", "東証1部", "(株)極洋"},
                            {"8682", "", "大証外国部", "ＭＳ・アジア‐パシフィック"}};
  std::int16_t flag = 0;
  std::string message;
  write_meigara_list_sub(ctx, list, flag, message);
  EXPECT_EQ(flag, 0);
  const std::string bytes = testing::file_bytes(dir.path() + "meigara_list.csv");
  EXPECT_EQ(bytes.substr(0, 13), "2,20141127,\x8E\x73");  // CP932 "市"
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
  const read_result r = read_list(dir.path());
  ASSERT_EQ(r.list.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(r.list[i].d1_meigarasuu_meigaracode, list[i].d1_meigarasuu_meigaracode);
    EXPECT_EQ(r.list[i].market_code, list[i].market_code);
    EXPECT_EQ(r.list[i].market_name, list[i].market_name);
    EXPECT_EQ(r.list[i].meigara_name, list[i].meigara_name);
  }
}

TEST(StockList, AWriteFailureIsReportedAndTheOldFileStays) {
  temp_folder dir;
  recording_context ctx(dir.path() + "missing-folder/");
  std::int16_t flag = 0;
  std::string message;
  write_meigara_list_sub(ctx, meigara_list_t{{"0", "", "", ""}}, flag, message);
  EXPECT_EQ(flag, kTrue);
  EXPECT_EQ(message, "銘柄リストをファイルに書き込めません。");
}

}  // namespace
}  // namespace karigane
