// `karigane adjust` on temporary program folders: the files it writes (CP932 bytes), the
// files it leaves alone, the yearly mode, the error ending and the stop.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "core/file_store.h"
#include "price_fixtures.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::day;
using testing::file_bytes;
using testing::price_file_text;
using testing::price_table;
using testing::run_karigane;
using testing::split_file_text;
using testing::split_table;
using testing::temp_folder;
using testing::write_bytes;
using testing::write_cp932;

// A program folder with the default settings.
struct database {
  temp_folder dir;
  std::string kabuka = dir.path() + "kabuka/";
  std::string out = kabuka + "syusei_kabuka/data_m/";

  void prices(const std::string& rel, const jikeiretu_data_t& t) {
    write_cp932(kabuka + rel, price_file_text(t));
  }
  void splits(const std::string& rel, const bunkatu_list_t& t) {
    write_cp932(kabuka + rel, split_file_text(t));
  }
  testing::process_result adjust(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--dir", dir.path(), "adjust"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_karigane(args);
  }
};

TEST(AdjustCommand, OneShareIntoAHundredScalesTheDaysBeforeTheSplit) {
  database db;
  std::vector<std::string> rows;
  for (int d = 1; d <= 10; ++d) {
    const std::string date = "201301" + std::string(d < 10 ? "0" : "") + std::to_string(d);
    rows.push_back(date + ",12345,12300,12300,12345,3000");
  }
  db.prices("data_m/1301.csv", price_table("1301", rows));
  db.splits("data_mh/1301.csv", split_table("1301", {"20130104,1,100"}));
  const std::string source = file_bytes(db.kabuka + "data_m/1301.csv");

  const auto r = db.adjust();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines(), std::vector<std::string>{"調整株価処理中:1301.csv"});
  // The run ends with what it wrote on standard error.
  EXPECT_EQ(r.err.rfind("調整後株価: 1ファイル 10行 ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.substr(r.err.size() - 4), "秒\n");
  std::string expected =
      "1301,\x93\x8C\x8F\xD8" "1\x95\x94,\x8B\xC9\x97\x6D,20130101,20130110,10\r\n"
      "20130101,123,122,122,123,3000\r\n"
      "20130102,123,122,122,123,3000\r\n"
      "20130103,123,122,122,123,3000\r\n";
  for (int d = 4; d <= 10; ++d) {
    expected += "201301" + std::string(d < 10 ? "0" : "") + std::to_string(d) +
                ",12345,12300,12300,12345,3000\r\n";
  }
  EXPECT_EQ(file_bytes(db.out + "1301.csv"), expected);
  EXPECT_EQ(file_bytes(db.kabuka + "data_m/1301.csv"), source);
}

TEST(AdjustCommand, StocksWithoutUsableSplitsAreCopiedOrOnlyFloored) {
  database db;
  // No split list: the file is copied as it stands, fractions and "---" included.
  db.prices("data_m/1302.csv", price_table("1302", {day("20130104", "1234.5"),
                                                    "20130107,---,---,---,---,0"}));
  // A split on a day without prices: nothing is scaled, every price is floored.
  db.prices("data_m/1303.csv", price_table("1303", {day("20120104", "1000"),
                                                    day("20130104", "1234.5"),
                                                    "20130107,---,---,---,---,0"}));
  db.splits("data_mh/1303.csv", split_table("1303", {"20120105,1,2"}));
  // An index: copied unchanged although it has a split list.
  db.prices("data_m/1001.csv", price_table("1001", {day("20130104", "10395.18")}, ""));
  db.splits("data_mh/1001.csv", split_table("1001", {"20130104,1,2"}));

  // Without split lists, a file written by hand is copied as it stands, and one with quotes
  // (which only the full reader takes apart) is written back without them.
  write_cp932(db.kabuka + "data_m/1304.csv",
              "1304, 東証1部 ,極洋,20130104,20130104,1\n20130104,1.5,2,3,4,100\n\n");
  write_cp932(db.kabuka + "data_m/1305.csv",
              "1305,東証1部,\"極洋\",20130104,20130104,1\r\n20130104,1.5,2,3,4,100\r\n");

  const auto r = db.adjust();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(file_bytes(db.out + "1302.csv"), file_bytes(db.kabuka + "data_m/1302.csv"));
  EXPECT_EQ(file_bytes(db.out + "1304.csv"), file_bytes(db.kabuka + "data_m/1304.csv"));
  EXPECT_EQ(cp932_file(db.out + "1305.csv"), "1305,東証1部,極洋,20130104,20130104,1\r\n"
                                             "20130104,1.5,2,3,4,100\r\n");
  EXPECT_EQ(cp932_file(db.out + "1303.csv"), "1303,東証1部,極洋,20120104,20130107,3\r\n"
                                             "20120104,1000,1000,1000,1000,1000\r\n"
                                             "20130104,1234,1234,1234,1234,1000\r\n"
                                             "20130107,---,---,---,---,0\r\n");
  EXPECT_EQ(cp932_file(db.out + "1001.csv"), "1001,,極洋,20130104,20130104,1\r\n"
                                             "20130104,10395,10395,10395,10395,1000\r\n");
}

TEST(AdjustCommand, UnreadableSourcesAndOtherFilesAreLeftOut) {
  database db;
  // 1301: the header promises three rows, the file holds two.
  write_cp932(db.kabuka + "data_m/1301.csv",
              "1301,東証1部,極洋,20130104,20130108,3\r\n" + day("20130104", "200") + "\r\n" +
                  day("20130107", "200") + "\r\n");
  // 1302: readable prices, but the split list is cut short.
  db.prices("data_m/1302.csv", price_table("1302", {day("20130104", "200"),
                                                    day("20130107", "100")}));
  write_cp932(db.kabuka + "data_mh/1302.csv", "1302,極洋,2\r\n20130107,1,2\r\n");
  db.prices("data_m/1303.csv", price_table("1303", {day("20130104", "200")}));
  // 1304: a count no file could hold must not size a table.
  write_cp932(db.kabuka + "data_m/1304.csv",
              "1304,東証1部,極洋,20130104,20130104,99999999999\r\n" + day("20130104", "200") +
                  "\r\n");
  write_bytes(db.kabuka + "data_m/memo.txt", "notes\r\n");
  // Outputs of an earlier run stay as they were for the stocks that cannot be read.
  write_bytes(db.out + "1301.csv", "earlier 1301");
  write_bytes(db.out + "1302.csv", "earlier 1302");

  const auto r = db.adjust();
  EXPECT_EQ(r.exit_status, 3) << r.err;  // completed, with the stocks left alone counted
  // The stocks left alone are named in red after the pass.
  const auto damaged = [&](const std::string& path) {
    return db.kabuka + path + " を最後まで読めないため、更新しませんでした。";
  };
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"調整株価処理中:1301.csv", "調整株価処理中:1302.csv",
                                      "調整株価処理中:1303.csv", "調整株価処理中:1304.csv",
                                      damaged("data_m/1301.csv"), damaged("data_mh/1302.csv"),
                                      damaged("data_m/1304.csv")}));
  EXPECT_EQ(file_bytes(db.out + "1301.csv"), "earlier 1301");
  EXPECT_EQ(file_bytes(db.out + "1302.csv"), "earlier 1302");
  EXPECT_EQ(file_bytes(db.out + "1303.csv"), file_bytes(db.kabuka + "data_m/1303.csv"));
  EXPECT_FALSE(file_exists(db.out + "1304.csv"));
  EXPECT_FALSE(file_exists(db.out + "memo.txt"));
}

TEST(AdjustCommand, YearlyModeJoinsTheNewestConsecutiveYears) {
  database db;
  // 2011 is cut off from 2013 by the missing 2012: neither its rows nor its split count.
  db.prices("2011/data_m/1301.csv", price_table("1301", {day("20111228", "9999")}));
  db.splits("2011/data_mh/1301.csv", split_table("1301", {"20111228,1,10"}));
  db.prices("2013/data_m/1301.csv", price_table("1301", {day("20130104", "1000"),
                                                         day("20130107", "1000")}));
  db.splits("2013/data_mh/1301.csv", split_table("1301", {"20130107,1,2"}));
  db.prices("2014/data_m/1301.csv", price_table("1301", {day("20140106", "501"),
                                                         day("20140107", "1234.5")},
                                                "東証プライム", "極洋新"));
  db.prices("2013/data_m/1302.csv", price_table("1302", {day("20130104", "100")}));
  db.prices("2014/data_m/1303.csv", price_table("1303", {day("20140106", "99.9")}));

  const auto r = db.adjust({"--yearly"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines(), (std::vector<std::string>{"年毎調整株価処理中:1301.csv",
                                                 "年毎調整株価処理中:1303.csv"}));
  EXPECT_EQ(cp932_file(db.kabuka + "data_m_1/1301.csv"),
            "1301,東証プライム,極洋新,20130104,20140107,4\r\n"
            "20130104,1000,1000,1000,1000,1000\r\n"
            "20130107,1000,1000,1000,1000,1000\r\n"
            "20140106,501,501,501,501,1000\r\n"
            "20140107,1234.5,1234.5,1234.5,1234.5,1000\r\n");
  EXPECT_EQ(cp932_file(db.kabuka + "data_mh_1/1301.csv"), "1301,極洋,1\r\n20130107,1,2\r\n");
  EXPECT_EQ(file_bytes(db.out + "1301.csv"),
            "1301,\x93\x8C\x8F\xD8\x83\x76\x83\x89\x83\x43\x83\x80,\x8B\xC9\x97\x6D\x90\x56,"
            "20130104,20140107,4\r\n"
            "20130104,500,500,500,500,1000\r\n"
            "20130107,1000,1000,1000,1000,1000\r\n"
            "20140106,501,501,501,501,1000\r\n"
            "20140107,1234,1234,1234,1234,1000\r\n");
  // A stock without splits gets no joined split list; its prices are floored all the same.
  EXPECT_EQ(cp932_file(db.out + "1303.csv"),
            "1303,東証1部,極洋,20140106,20140106,1\r\n20140106,99,99,99,99,1000\r\n");
  EXPECT_FALSE(file_exists(db.kabuka + "data_mh_1/1303.csv"));
  // Only stocks of the newest year are joined.
  EXPECT_FALSE(file_exists(db.out + "1302.csv"));
  EXPECT_FALSE(file_exists(db.kabuka + "data_m_1/1302.csv"));
}

TEST(AdjustCommand, YearlyModeWithoutYearFoldersWritesNothing) {
  database db;
  db.prices("data_m/1301.csv", price_table("1301", {day("20130104", "100")}));
  const auto r = db.adjust({"--yearly"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_TRUE(r.lines().empty());
  EXPECT_FALSE(folder_exists(db.kabuka + "data_m_1"));
  EXPECT_FALSE(file_exists(db.out + "1301.csv"));
}

TEST(AdjustCommand, FoldersAndNamesComeFromTheSettingsFile) {
  database db;
  write_cp932(db.dir.path() + "settei.txt",
              "時系列株価フォルダ名,prices\r\n修正株価データベースフォルダパス,adjusted\\\r\n"
              "EOF,EOF\r\n");
  db.prices("prices/1301.csv", price_table("1301", {day("20130103", "300"),
                                                    day("20130104", "100")}));
  db.splits("pricesh/1301.csv", split_table("1301", {"20130104,1,3"}));
  const auto r = db.adjust();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(cp932_file(db.dir.path() + "adjusted/prices/1301.csv"),
            "1301,東証1部,極洋,20130103,20130104,2\r\n"
            "20130103,100,100,100,100,1000\r\n"
            "20130104,100,100,100,100,1000\r\n");
  EXPECT_FALSE(folder_exists(db.kabuka + "syusei_kabuka"));
}

TEST(AdjustCommand, OutputsThatCannotBeWrittenEndInRed) {
  {
    database db;
    db.prices("data_m/1301.csv", price_table("1301", {day("20130104", "100")}));
    write_bytes(db.kabuka + "syusei_kabuka", "a file where the folder belongs");
    const auto r = db.adjust();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.lines(), std::vector<std::string>{"フォルダを作成できません: " + db.kabuka +
                                                  "syusei_kabuka/"});
  }
  {
    database db;
    for (const char* code : {"1301", "1302", "1303"}) {
      db.prices(std::string("data_m/") + code + ".csv",
                price_table(code, {day("20130104", "100")}));
    }
    ensure_folder(db.out + "1301.csv");  // a folder in the place of the output file
    const auto r = db.adjust();
    EXPECT_EQ(r.exit_status, 1);
    ASSERT_FALSE(r.lines().empty());
    EXPECT_EQ(r.lines().back(), "ファイルを書き込めません: kabuka/syusei_kabuka/data_m/1301.csv");
    // The stocks in hand are finished whole; none is begun after the failure.
    for (const char* code : {"1302", "1303"}) {
      const std::string out = file_bytes(db.out + code + ".csv");
      if (!out.empty()) {
        EXPECT_EQ(out, file_bytes(db.kabuka + "data_m/" + code + ".csv"));
      }
    }
  }
}

TEST(AdjustCommand, AnInterruptStopsBetweenFilesWithCompleteFiles) {
  database db;
  std::vector<std::string> rows;
  for (int i = 0; i < 3000; ++i) rows.push_back(day(std::to_string(19900101 + i), "2000"));
  const std::string text = price_file_text(price_table("1301", rows));
  const int stocks = 400;
  for (int code = 1301; code < 1301 + stocks; ++code) {
    std::string t = text;
    t.replace(0, 4, std::to_string(code));
    write_cp932(db.kabuka + "data_m/" + std::to_string(code) + ".csv", t);
  }
  bool sent = false;
  const auto r = run_karigane({"--dir", db.dir.path(), "adjust"}, {},
                              [&](int pid, const std::string& out) {
                                if (!sent && out.find("調整株価処理中:") != std::string::npos) {
                                  ::kill(pid, SIGINT);
                                  sent = true;
                                }
                              });
  EXPECT_EQ(r.exit_status, 130);
  ASSERT_FALSE(r.lines().empty());
  EXPECT_EQ(r.lines().back(), "処理を中断しました。");
  const auto written = list_files(db.out);
  EXPECT_LT(written.size(), static_cast<std::size_t>(stocks));
  for (const std::string& name : written) {
    EXPECT_EQ(file_bytes(db.out + name), file_bytes(db.kabuka + "data_m/" + name)) << name;
  }
}

TEST(AdjustCommand, UsageAndHelp) {
  temp_folder dir;
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"--bogus"}, {"--code", "1301"}, {"--yearly", "extra"}}) {
    std::vector<std::string> args{"--dir", dir.path(), "adjust"};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(run_karigane(args).exit_status, 2) << extra.front();
  }
  const auto help = run_karigane({"--help"});
  EXPECT_NE(help.out.find("adjust [--yearly]"), std::string::npos);
  EXPECT_NE(help.out.find("年毎から計算"), std::string::npos);
}

}  // namespace
}  // namespace karigane
