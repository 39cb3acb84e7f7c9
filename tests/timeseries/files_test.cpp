// Price files and split lists: merge, yearly files, bytes on disk, damaged files.
#include <gtest/gtest.h>

#include "core/file_store.h"
#include "run/settings.h"
#include "support/temp_folder.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::temp_folder;

program_layout settings_in(const temp_folder& dir) {
  program_layout s = default_settings(dir.path()).layout;
  ensure_folder(s.price_folder());
  ensure_folder(s.split_folder());
  return s;
}

status merge_prices(const program_layout& s, jikeiretu_data_t& t) {
  return merge_into_dated_file(s.price_file(t[0][kPriceCode]), t, kPriceFile);
}

status merge_splits(const program_layout& s, bunkatu_list_t& t) {
  return merge_into_dated_file(s.split_file(t[0][kSplitCode]), t, kSplitFile);
}

yearly_copies yearly_prices(const program_layout& s, jikeiretu_data_t& work) {
  return write_yearly_copies(s.price_file("1301"), work, kPriceFile, [&](const std::string& year) {
    return s.yearly_price_file(year, "1301");
  });
}

yearly_copies yearly_splits(const program_layout& s, bunkatu_list_t& work) {
  return write_yearly_copies(s.split_file("1301"), work, kSplitFile, [&](const std::string& year) {
    return s.yearly_split_file(year, "1301");
  });
}

// A downloaded table, rows newest first: each row is "date,close".
jikeiretu_data_t download(const std::vector<std::string>& rows, const std::string& name = "極洋") {
  jikeiretu_data_t t = empty_price_table("1301");
  t[0][kPriceMarket] = "東証1部";
  t[0][kPriceName] = name;
  for (const std::string& r : rows) {
    const std::string d = r.substr(0, 8);
    const std::string c = r.substr(9);
    t.push_back({d, c, c, c, c, "100", c});
  }
  t[0][kPriceCount] = std::to_string(rows.size());
  t[0][kPriceOldest] = t.back()[0];
  t[0][kPriceNewest] = t[1][0];
  return t;
}

}  // namespace

TEST(PriceFiles, AFirstDownloadIsWrittenOldestFirstInCp932) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  jikeiretu_data_t t = download({"20130107,1795", "20130104,1785"});
  EXPECT_TRUE(merge_prices(s, t).is_ok());
  EXPECT_EQ(testing::file_bytes(s.database + "data_m/1301.csv"),
            "1301,\x93\x8C\x8F\xD8" "1\x95\x94,\x8B\xC9\x97\x6D,20130104,20130107,2\r\n"
            "20130104,1785,1785,1785,1785,100\r\n"
            "20130107,1795,1795,1795,1795,100\r\n");
}

TEST(PriceFiles, OverlapReplacesEqualDatesAndInsertsNewOnes) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  jikeiretu_data_t first = download({"20130110,10", "20130108,8", "20130104,4"});
  merge_prices(s, first);
  jikeiretu_data_t second = download({"20130111,111", "20130109,99", "20130108,88"}, "新しい名前");
  EXPECT_TRUE(merge_prices(s, second).is_ok());
  EXPECT_EQ(cp932_file(s.database + "data_m/1301.csv"),
            "1301,東証1部,極洋,20130104,20130111,5\r\n"
            "20130104,4,4,4,4,100\r\n"
            "20130108,88,88,88,88,100\r\n"
            "20130109,99,99,99,99,100\r\n"
            "20130110,10,10,10,10,100\r\n"
            "20130111,111,111,111,111,100\r\n");
}

TEST(PriceFiles, OnlyOlderRowsStillGiveAnAscendingFile) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  jikeiretu_data_t first = download({"20130110,10"});
  merge_prices(s, first);
  jikeiretu_data_t older = download({"20121228,7", "20121227,6"});
  merge_prices(s, older);
  EXPECT_EQ(cp932_file(s.database + "data_m/1301.csv"),
            "1301,東証1部,極洋,20121227,20130110,3\r\n"
            "20121227,6,6,6,6,100\r\n20121228,7,7,7,7,100\r\n20130110,10,10,10,10,100\r\n");
}

TEST(PriceFiles, YearlyFilesCoverExactlyTheirYear) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  jikeiretu_data_t t = download({"20140106,3", "20131230,2", "20131227,1", "20121228,0"});
  merge_prices(s, t);
  jikeiretu_data_t work;
  EXPECT_EQ(yearly_prices(s, work).main_read, status::ok);
  EXPECT_EQ(cp932_file(s.database + "2012/data_m/1301.csv"),
            "1301,東証1部,極洋,20121228,20121228,1\r\n20121228,0,0,0,0,100\r\n");
  EXPECT_EQ(cp932_file(s.database + "2013/data_m/1301.csv"),
            "1301,東証1部,極洋,20131227,20131230,2\r\n"
            "20131227,1,1,1,1,100\r\n20131230,2,2,2,2,100\r\n");
  EXPECT_EQ(cp932_file(s.database + "2014/data_m/1301.csv"),
            "1301,東証1部,極洋,20140106,20140106,1\r\n20140106,3,3,3,3,100\r\n");
}

TEST(PriceFiles, ADamagedStoredFileIsLeftUntouched) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  const std::string path = s.database + "data_m/1301.csv";
  const std::vector<std::string> damaged = {
      "1301,東証1部,極洋,20130104,20130107,3\r\n20130104,1,1,1,1,1\r\n20130107,2,2,2,2,2\r\n",
      "1301,東証1部,極洋,20130104,20130107,2\r\n20130104,1,1,1,1\r\n20130107,2,2,2,2,2\r\n",
      "1301,東証1部,極洋,20130104,20130107,x\r\n",
      "1301,東証1部,極,洋,20130104,20130107,1\r\n20130104,1,1,1,1,1\r\n",
      "1301,東証1部,極洋,20130104,20130107,1\r\n20130104,1,1,1,1,1\r\n20130107,2,2,2,2,2\r\n",
  };
  for (const std::string& text : damaged) {
    testing::write_cp932(path, text);
    jikeiretu_data_t t = download({"20130108,8"});
    EXPECT_EQ(merge_prices(s, t), status::damaged) << text;
    EXPECT_EQ(cp932_file(path), text);
    jikeiretu_data_t work;
    EXPECT_EQ(yearly_prices(s, work).main_read, status::damaged);
  }
  EXPECT_FALSE(folder_exists(s.database + "2013"));
}

TEST(PriceFiles, IndexFilesHaveAnEmptyMarketName) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  jikeiretu_data_t t = empty_price_table("1001");
  t[0][kPriceName] = "日経平均株価";
  t[0][kPriceOldest] = t[0][kPriceNewest] = "20130104";
  t.push_back({"20130104", "10688.11", "1", "1", "1", "0", "1"});
  t[0][kPriceCount] = "1";
  merge_prices(s, t);
  EXPECT_EQ(cp932_file(s.database + "data_m/1001.csv"),
            "1001,,日経平均株価,20130104,20130104,1\r\n20130104,10688.11,1,1,1,0\r\n");
}

TEST(PriceFiles, NamesWithCommasDoNotShiftTheHeader) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  jikeiretu_data_t t = download({"20130107,1"}, "A,B");
  merge_prices(s, t);
  jikeiretu_data_t back;
  EXPECT_EQ(read_dated_file(s.database + "data_m/1301.csv", back, kPriceFile, false), status::ok);
  EXPECT_EQ(back[0][kPriceName], "A，B");
  EXPECT_EQ(back[0][kPriceCount], "1");
}

TEST(SplitFiles, MergeWithoutASecondLineForTheSameDate) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  bunkatu_list_t first = empty_split_table("1301");
  first[0][kSplitName] = "極洋";
  first.push_back({"20130926", "1", "100"});
  first.push_back({"20100401", "1", "2"});
  first[0][kSplitCount] = "2";
  EXPECT_TRUE(merge_splits(s, first).is_ok());
  bunkatu_list_t again = empty_split_table("1301");
  again[0][kSplitName] = "別名";
  again.push_back({"20130926", "1", "10"});
  again[0][kSplitCount] = "1";
  EXPECT_TRUE(merge_splits(s, again).is_ok());
  EXPECT_EQ(cp932_file(s.database + "data_mh/1301.csv"),
            "1301,極洋,2\r\n20100401,1,2\r\n20130926,1,10\r\n");

  bunkatu_list_t work;
  EXPECT_EQ(yearly_splits(s, work).main_read, status::ok);
  EXPECT_EQ(cp932_file(s.database + "2010/data_mh/1301.csv"), "1301,極洋,1\r\n20100401,1,2\r\n");
  EXPECT_EQ(cp932_file(s.database + "2013/data_mh/1301.csv"), "1301,極洋,1\r\n20130926,1,10\r\n");
}

TEST(SplitFiles, NoSplitListWritesNoYearlyList) {
  temp_folder dir;
  const program_layout s = settings_in(dir);
  bunkatu_list_t work = empty_split_table("1301");
  EXPECT_EQ(yearly_splits(s, work).main_read, status::missing);
  EXPECT_EQ(work[0][kSplitCount], "0");
}

}  // namespace karigane
