// Latest-day files, the stock list renewal and the update of stored time series.
#include <gtest/gtest.h>

#include "codes/stock_list.h"
#include "core/file_store.h"
#include "latest/latest_files.h"
#include "latest/stock_list_renewal.h"
#include "timeseries/latest_day_merge.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::recording_context;
using testing::temp_folder;

data_d_table_t latest_table(const std::string& day, const std::vector<data_d_record>& rows) {
  data_d_table_t t(1);
  t[0] = {day, std::to_string(rows.size()), "銘柄", "始値", "高値", "安値", "終値", "出来高", "取引日"};
  t.insert(t.end(), rows.begin(), rows.end());
  return t;
}

TEST(LatestFiles, FinalAndIntradayLayouts) {
  temp_folder dir;
  const data_d_table_t t = latest_table(
      "20141127", {{"1301", "東証1部", "(株)極洋", "285", "287", "284", "286", "12300", "20141127"},
                   {"1332", "東証1部", "日本水産(株)", "---", "---", "---", "300", "---", "20141125"},
                   {"1001", "大証指数", "日経平均", "1", "2", "0.5", "1.5", "100", "20141127"}});
  EXPECT_TRUE(write_latest_day_file(dir.path() + "a.csv", t, false).is_ok());
  EXPECT_EQ(cp932_file(dir.path() + "a.csv"),
            "20141127,3,銘柄,始値,高値,安値,終値,出来高\r\n"
            "1301,東証1部,(株)極洋,285,287,284,286,12300\r\n"
            "1332,東証1部,日本水産(株),---,---,---,300,---\r\n"
            "1001,大証指数,日経平均,1,2,0.5,1.5,100\r\n");
  EXPECT_TRUE(write_latest_day_file(dir.path() + "b.csv", t, true).is_ok());
  EXPECT_EQ(cp932_file(dir.path() + "b.csv").rfind(
                "20141127,3,銘柄,始値,高値,安値,終値,出来高,取引日\r\n"
                "1301,東証1部,(株)極洋,285,287,284,286,12300,20141127\r\n", 0),
            0u);
}

TEST(LatestFiles, TheClockChoosesFinalOrIntraday) {
  bool intraday = false;
  EXPECT_EQ(latest_day_file_name("20141127", local_time{date{2014, 11, 27}, 10, 35, 0}, &intraday),
            "20141127_1035.csv");
  EXPECT_TRUE(intraday);
  EXPECT_EQ(latest_day_file_name("20141127", local_time{date{2014, 11, 27}, 9, 5, 0}),
            "20141127_905.csv");
  EXPECT_EQ(latest_day_file_name("20141127", local_time{date{2014, 11, 27}, 16, 0, 0}, &intraday),
            "20141127.csv");
  EXPECT_FALSE(intraday);
  // On a Saturday the latest trade date is Friday's: final whatever the hour.
  EXPECT_EQ(latest_day_file_name("20141128", local_time{date{2014, 11, 29}, 10, 0, 0}),
            "20141128.csv");
}

struct renewal_fixture {
  temp_folder dir;
  recording_context ctx{dir.path()};

  void list(const std::string& text) { testing::write_cp932(dir.path() + "meigara_list.csv", text); }
  std::string written() { return cp932_file(dir.path() + "meigara_list.csv"); }
};

TEST(StockListRenewal, NewStocksAreInsertedInCodeOrder) {
  renewal_fixture f;
  f.list("3,20141120,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n"
         "1379,t,東証1部,ホクト(株)\r\n");
  renew_stock_list(f.ctx, f.ctx.layout(), latest_table("20141127", {{"1301", "東証1部", "新しい名前"},
                                       {"1333", "JQS", "(株)マルハ"},
                                       {"1380", "未知の市場", "(株)新顔"}}));
  EXPECT_EQ(f.written(),
            "5,20141127,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n"
            "1333,q,JQS,(株)マルハ\r\n1379,t,東証1部,ホクト(株)\r\n1380,,未知の市場,(株)新顔\r\n");
}

TEST(StockListRenewal, EntriesWithoutMarketNameAreDropped) {
  renewal_fixture f;
  f.list("2,20141120,市場名,銘柄名\r\n1301,t,,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n");
  renew_stock_list(f.ctx, f.ctx.layout(), latest_table("20141127", {{"1301", "東証1部", "(株)極洋"}}));
  EXPECT_EQ(f.written(), "1,20141120,市場名,銘柄名\r\n1332,t,東証1部,日本水産(株)\r\n");
}

TEST(StockListRenewal, AnEmptyTableOnlyCompacts) {
  renewal_fixture f;
  f.list("1,20141120,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n");
  renew_stock_list(f.ctx, f.ctx.layout(), latest_table("0", {}));
  EXPECT_EQ(f.written(), "1,20141120,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n");
}

TEST(StockListRenewal, WithoutAListItIsBuiltFromTheTable) {
  renewal_fixture f;
  renew_stock_list(f.ctx, f.ctx.layout(), latest_table("20141127", {{"1301", "東証1部", "(株)極洋"}}));
  EXPECT_EQ(f.written(), "1,20141127,,\r\n1301,t,東証1部,(株)極洋\r\n");
}

TEST(StockListRenewal, ACodeBelowThePreviousOneIsNotListedTwice) {
  renewal_fixture f;
  f.list("3,20141120,市場名,銘柄名\r\n1301,t,東証1部,a\r\n1332,t,東証1部,b\r\n7203,t,東証1部,c\r\n");
  renew_stock_list(f.ctx, f.ctx.layout(), latest_table("20141127", {{"7203", "東証1部", "c"},
                                                          {"1332", "東証1部", "b"},
                                                          {"1333", "JQS", "new"}}));
  EXPECT_EQ(f.written(), "4,20141127,市場名,銘柄名\r\n1301,t,東証1部,a\r\n1332,t,東証1部,b\r\n"
                         "1333,q,JQS,new\r\n7203,t,東証1部,c\r\n");
}

TEST(StockListRenewal, AListWithCountZeroGrows) {
  renewal_fixture f;
  f.list("0,20141120,市場名,銘柄名\r\n");
  renew_stock_list(f.ctx, f.ctx.layout(), latest_table("20141127", {{"1301", "東証1部", "a"}}));
  EXPECT_EQ(f.written(), "1,20141127,市場名,銘柄名\r\n1301,t,東証1部,a\r\n");
}

struct update_fixture {
  temp_folder dir;
  recording_context ctx{dir.path()};
  std::string main(const std::string& code) { return ctx.layout().database + "data_m/" + code + ".csv"; }
  std::string yearly(const std::string& code) {
    return ctx.layout().database + "2014/data_m/" + code + ".csv";
  }
};

TEST(UpdateMerge, TheLatestDayReplacesItsRowOrIsAdded) {
  update_fixture f;
  testing::write_cp932(f.main("1301"), "1301,東証1部,極洋,20141125,20141127,2\r\n"
                                       "20141125,1,1,1,1,1\r\n20141127,2,2,2,2,2\r\n");
  testing::write_cp932(f.main("1332"), "1332,東証1部,日水,20141125,20141126,2\r\n"
                                       "20141125,1,1,1,1,1\r\n20141126,2,2,2,2,2\r\n");
  testing::write_cp932(f.main("7203"), "7203,東証1部,トヨタ,20141126,20141126,1\r\n"
                                       "20141126,5,5,5,5,5\r\n");
  testing::write_cp932(f.yearly("1301"), "1301,東証1部,極洋,20141127,20141127,1\r\n"
                                         "20141127,2,2,2,2,2\r\n");
  const data_d_table_t t = latest_table(
      "20141127", {{"1301", "東証1部", "x", "285", "287", "284", "286", "12300", "20141127"},
                   {"1332", "東証1部", "y", "---", "---", "---", "300", "---", "20141125"}});
  merge_latest_day(f.ctx, f.ctx.layout(), t);
  EXPECT_EQ(cp932_file(f.main("1301")), "1301,東証1部,極洋,20141125,20141127,2\r\n"
                                        "20141125,1,1,1,1,1\r\n20141127,285,287,284,286,12300\r\n");
  EXPECT_EQ(cp932_file(f.main("1332")), "1332,東証1部,日水,20141125,20141127,3\r\n"
                                        "20141125,1,1,1,1,1\r\n20141126,2,2,2,2,2\r\n"
                                        "20141127,---,---,---,300,---\r\n");
  EXPECT_EQ(cp932_file(f.main("7203")), "7203,東証1部,トヨタ,20141126,20141126,1\r\n"
                                        "20141126,5,5,5,5,5\r\n");
  EXPECT_EQ(cp932_file(f.yearly("1301")), "1301,東証1部,極洋,20141127,20141127,1\r\n"
                                          "20141127,285,287,284,286,12300\r\n");
}

TEST(UpdateMerge, AnOlderLatestDayIsPutInDateOrderAndDamagedFilesStay) {
  update_fixture f;
  testing::write_cp932(f.main("1301"), "1301,東証1部,極洋,20141125,20141128,2\r\n"
                                       "20141125,1,1,1,1,1\r\n20141128,2,2,2,2,2\r\n");
  const std::string damaged = "1332,東証1部,日水,20141125,20141126,3\r\n20141125,1,1,1,1,1\r\n";
  testing::write_cp932(f.main("1332"), damaged);
  merge_latest_day(f.ctx, f.ctx.layout(), latest_table("20141127", {{"1301", "東証1部", "x", "9", "9", "9", "9", "9", "20141127"},
                                       {"1332", "東証1部", "y", "9", "9", "9", "9", "9", "20141127"}}));
  EXPECT_EQ(cp932_file(f.main("1301")), "1301,東証1部,極洋,20141125,20141128,3\r\n"
                                        "20141125,1,1,1,1,1\r\n20141127,9,9,9,9,9\r\n"
                                        "20141128,2,2,2,2,2\r\n");
  EXPECT_EQ(cp932_file(f.main("1332")), damaged);
}

TEST(UpdateMerge, OddlyWrittenFilesStillGetARowOfTheirOwn) {
  update_fixture f;
  // No line end after the last row, and a quoted name that the fast path leaves to the reader.
  testing::write_cp932(f.main("1301"), "1301,東証1部,極洋,20141125,20141126,1\r\n20141126,1,1,1,1,1");
  testing::write_cp932(f.main("1332"), "1332,東証1部,\"日水\",20141126,20141126,1\r\n20141126,1,1,1,1,1\r\n");
  testing::write_cp932(f.main("7203"), "7203,東証1部,トヨタ,,,0\r\n");
  merge_latest_day(f.ctx, f.ctx.layout(), latest_table("20141127", {{"1301", "", "", "2", "2", "2", "2", "2", "20141127"},
                                       {"1332", "", "", "3", "3", "3", "3", "3", "20141127"},
                                       {"7203", "", "", "4", "4", "4", "4", "4", "20141127"}}));
  EXPECT_EQ(cp932_file(f.main("1301")), "1301,東証1部,極洋,20141125,20141127,2\r\n"
                                        "20141126,1,1,1,1,1\r\n20141127,2,2,2,2,2\r\n");
  EXPECT_EQ(cp932_file(f.main("1332")), "1332,東証1部,日水,20141126,20141127,2\r\n"
                                        "20141126,1,1,1,1,1\r\n20141127,3,3,3,3,3\r\n");
  EXPECT_EQ(cp932_file(f.main("7203")), "7203,東証1部,トヨタ,20141127,20141127,1\r\n"
                                        "20141127,4,4,4,4,4\r\n");
}

}  // namespace
}  // namespace karigane
