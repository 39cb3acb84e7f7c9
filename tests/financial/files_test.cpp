// Statement files and summaries on real files in a temporary folder: the merge by fiscal
// period, the stored header, field 11 never written, the dated summary, and stored files that
// cannot be read to their end.
#include <gtest/gtest.h>

#include "financial/statement_files.h"
#include "financial/statement_summary.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::file_bytes;
using testing::write_cp932;

const std::string kStockLabels =
    "営業利益,経常利益,当期利益,EPS（一株当たり利益,調整一株当たり利益,1株配当,"
    "BPS（一株当たり純資産）,発行済み株式総数,総資産,自己資本,資本金,有利子負債,繰越損益,"
    "自己資本比率,含み損益,ROA（総資産利益率）,ROE（自己資本利益率）,総資産経常利益率";

const std::string kSummaryLabels =
    "決算発表日,決算月数,売上高,営業利益,経常利益,当期利益,EPS（一株当たり利益）,"
    "調整一株当たり利益,1株配当,BPS（一株当たり純資産）,発行済み株式総数,総資産,自己資本,"
    "資本金,有利子負債,繰越損益,自己資本比率,含み損益,ROA（総資産利益率）,"
    "ROE（自己資本利益率）,総資産経常利益率";

// A period record whose figures say which period and which source they come from:
// field f holds tag + f, field 11 "memo".
zaimu_record period(const std::string& fiscal_period, const std::string& tag) {
  zaimu_record r;
  r[0] = fiscal_period;
  for (std::size_t f = 2; f <= 23; ++f) r[f - 1] = tag + std::to_string(f);
  r[10] = "memo";
  return r;
}

// The file line of such a record: fields 1-10 and 12-23.
std::string line_of(const std::string& fiscal_period, const std::string& tag) {
  std::string line = fiscal_period;
  for (std::size_t f = 2; f <= 23; ++f) {
    if (f != 11) line += "," + tag + std::to_string(f);
  }
  return line + "\r\n";
}

zaimu_tbl_t fetched(const std::string& code, const std::string& name,
                    std::initializer_list<zaimu_record> records) {
  zaimu_tbl_t t = empty_zaimu_table(code);
  t[0][2] = name;
  t.insert(t.end(), records.begin(), records.end());
  t[0][3] = std::to_string(records.size());
  return t;
}

class statement_files : public ::testing::Test {
 protected:
  statement_files() : ctx_(dir_.path()) { ctx_.fix_now({{2013, 4, 15}, 10, 0, 0}); }

  std::string stock_file(const std::string& folder, const std::string& code) {
    return dir_.path() + "kabuka/" + folder + "/" + code + ".csv";
  }
  std::string header(const std::string& code, const std::string& name, int count) {
    return code + ",," + name + "," + std::to_string(count) + "," + kStockLabels + "\r\n";
  }

  testing::temp_folder dir_;
  testing::recording_context ctx_;
};

TEST_F(statement_files, MergeInsertsNewPeriodsAndReplacesStoredOnes) {
  const std::string path = stock_file("data_ztan", "1301");
  write_cp932(path, header("1301", "(株)極洋", 2) + line_of("20100300", "old") +
                        line_of("20110300", "old"));
  zaimu_tbl_t t = fetched("1301", "(株)極洋", {period("20130300", "new"), period("20120300", "new"),
                                                 period("20110300", "new")});
  EXPECT_TRUE(merge_statements(ctx_.layout(), "単独決算", t).is_ok());
  EXPECT_EQ(file_bytes(path),
            utf8_to_cp932(header("1301", "(株)極洋", 4) + line_of("20100300", "old") +
                          line_of("20110300", "new") + line_of("20120300", "new") +
                          line_of("20130300", "new")));
}

TEST_F(statement_files, StoredHeaderKeepsItsNameAndANewFileTakesTheFetchedOne) {
  const std::string stored = stock_file("data_zren", "1332");
  write_cp932(stored, header("1332", "日本水産(株)", 1) + line_of("20120300", "old"));
  zaimu_tbl_t t = fetched("1332", "(株)ニッスイ", {period("20130300", "new")});
  EXPECT_TRUE(merge_statements(ctx_.layout(), "連結決算", t).is_ok());
  EXPECT_EQ(cp932_file(stored), header("1332", "日本水産(株)", 2) + line_of("20120300", "old") +
                                    line_of("20130300", "new"));

  zaimu_tbl_t first = fetched("1301", "(株)極洋", {period("20120900", "a"), period("20110900", "b")});
  EXPECT_TRUE(merge_statements(ctx_.layout(), "中間決算", first).is_ok());
  EXPECT_EQ(cp932_file(stock_file("data_ztyu", "1301")),
            header("1301", "(株)極洋", 2) + line_of("20110900", "b") + line_of("20120900", "a"));
}

TEST_F(statement_files, ConsolidatedEmptyColumnsStillGiveTwentyTwoFields) {
  zaimu_record r = period("20130300", "v");
  for (std::size_t f : {10, 11, 13, 18}) r[f - 1].clear();
  zaimu_tbl_t t = fetched("1301", "(株)極洋", {r});
  ASSERT_TRUE(merge_statements(ctx_.layout(), "連結決算", t).is_ok());
  const std::string text = cp932_file(stock_file("data_zren", "1301"));
  const std::string line = text.substr(text.find("\r\n") + 2);
  EXPECT_EQ(line, "20130300,v2,v3,v4,v5,v6,v7,v8,v9,,v12,,v14,v15,v16,v17,,v19,v20,v21,v22,v23\r\n");
  EXPECT_EQ(std::count(line.begin(), line.end(), ','), 21);
}

TEST_F(statement_files, ReadingGivesTheNewestPeriodFirst) {
  const std::string path = stock_file("data_ztan", "1301");
  write_cp932(path, header("1301", "(株)極洋", 2) + line_of("20110300", "a") + line_of("20120300", "b"));
  zaimu_tbl_t t;
  ASSERT_EQ(read_statement_file(path, t), status::ok);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0][2], "(株)極洋");
  EXPECT_EQ(t[1][0], "20120300");
  EXPECT_EQ(t[1][11], "b12");  // column 11 of the file is field 12
  EXPECT_EQ(t[1][10], "");
  EXPECT_EQ(t[2][0], "20110300");
}

TEST_F(statement_files, MorePeriodsThanEverBeforeAreAllKept) {
  const std::string path = stock_file("data_ztan", "1301");
  std::string text;
  for (int y = 1975; y <= 2009; ++y) text += line_of(std::to_string(y) + "0300", "old");
  write_cp932(path, header("1301", "(株)極洋", 35) + text);
  zaimu_tbl_t t = fetched("1301", "(株)極洋", {period("20120300", "new"), period("20110300", "new"),
                                                 period("20100300", "new")});
  ASSERT_TRUE(merge_statements(ctx_.layout(), "単独決算", t).is_ok());
  EXPECT_EQ(cp932_file(path), header("1301", "(株)極洋", 38) + text + line_of("20100300", "new") +
                                  line_of("20110300", "new") + line_of("20120300", "new"));
}

TEST_F(statement_files, DamagedStockFileIsLeftUntouched) {
  const std::string path = stock_file("data_ztan", "1301");
  const std::string cases[] = {
      header("1301", "(株)極洋", 3) + line_of("20100300", "old") + line_of("20110300", "old"),
      header("1301", "(株)極洋", 1) + "20100300,x,y\r\n",
      header("1301", "(株)極洋", 1) + line_of("20100300", "old") + line_of("20110300", "old"),
  };
  for (const std::string& stored : cases) {
    write_cp932(path, stored);
    const std::string before = file_bytes(path);
    zaimu_tbl_t t = fetched("1301", "(株)極洋", {period("20130300", "new")});
    EXPECT_EQ(merge_statements(ctx_.layout(), "単独決算", t), status::damaged);
    EXPECT_EQ(file_bytes(path), before);
  }
}

TEST_F(statement_files, SummaryListsEveryStockFileWithItsNewestPeriod) {
  write_cp932(stock_file("data_ztan", "1332"),
              header("1332", "日本水産(株)", 2) + line_of("20110300", "a") + line_of("20120300", "b"));
  write_cp932(stock_file("data_ztan", "1301"),
              header("1301", "(株)極洋", 1) + line_of("20120300", "c"));
  // Not stock files: never listed.
  write_cp932(dir_.path() + "kabuka/data_ztan/memo.txt", "memo\r\n");
  write_cp932(dir_.path() + "kabuka/data_ztan/1301.csv.bak", header("1301", "x", 0));
  write_cp932(dir_.path() + "kabuka/data_ztan/13010.csv", header("13010", "x", 0));
  ASSERT_TRUE(write_statement_summary(ctx_, ctx_.layout(), "単独決算").is_ok());

  auto summary_line = [](const std::string& code, const std::string& name, const std::string& p,
                         const std::string& tag) { return code + "," + name + "," + line_of(p, tag); };
  const std::string path = dir_.path() + "kabuka/data_ztan_d/20130415.csv";
  const std::string expected = "2,20130415,単独決算," + kSummaryLabels + "\r\n" +
                               summary_line("1301", "(株)極洋", "20120300", "c") +
                               summary_line("1332", "日本水産(株)", "20120300", "b");
  EXPECT_EQ(file_bytes(path), utf8_to_cp932(expected));
  for (std::size_t at = 0, end; (end = expected.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string line = expected.substr(at, end - at);
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 23) << line;
  }

  // A second summary of the same day replaces the first.
  write_cp932(stock_file("data_ztan", "1332"), header("1332", "日本水産(株)", 1) + line_of("20130300", "d"));
  ASSERT_TRUE(write_statement_summary(ctx_, ctx_.layout(), "単独決算").is_ok());
  EXPECT_NE(cp932_file(path).find(summary_line("1332", "日本水産(株)", "20130300", "d")), std::string::npos);
}

TEST_F(statement_files, SummarySkipsAStockFileThatCannotBeRead) {
  write_cp932(stock_file("data_zren", "1301"),
              header("1301", "(株)極洋", 1) + line_of("20120300", "c"));
  write_cp932(stock_file("data_zren", "1305"),
              header("1305", "(株)壊れ", 2) + line_of("20120300", "broken"));
  write_cp932(stock_file("data_zren", "1332"),
              header("1332", "日本水産(株)", 1) + line_of("20130300", "b"));
  const std::string damaged_before = file_bytes(stock_file("data_zren", "1305"));
  ASSERT_TRUE(write_statement_summary(ctx_, ctx_.layout(), "連結決算").is_ok());
  EXPECT_EQ(cp932_file(dir_.path() + "kabuka/data_zren_d/20130415.csv"),
            "2,20130415,連結決算," + kSummaryLabels + "\r\n" + "1301,(株)極洋," +
                line_of("20120300", "c") + "1332,日本水産(株)," + line_of("20130300", "b"));
  EXPECT_EQ(file_bytes(stock_file("data_zren", "1305")), damaged_before);
  EXPECT_EQ(ctx_.label1(), stock_file("data_zren", "1305") + " を最後まで読めないため、集計に含めませんでした。");
  EXPECT_EQ(ctx_.label1_colour(), label_colour::red);
}

TEST_F(statement_files, SummaryOfAKindWithoutStockFiles) {
  ASSERT_TRUE(write_statement_summary(ctx_, ctx_.layout(), "中間決算").is_ok());
  EXPECT_EQ(cp932_file(dir_.path() + "kabuka/data_ztyu_d/20130415.csv"),
            "0,20130415,中間決算," + kSummaryLabels + "\r\n");
}

}  // namespace
}  // namespace karigane
