// The command line binary on temporary program folders: exit status, printed lines, files.
#include <gtest/gtest.h>

#include "core/file_store.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::run_karigane;
using testing::temp_folder;

TEST(CommandLine, ACollectionWithoutDataKindsChecksTheTargetsAndCompletes) {
  temp_folder dir;
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--no-timeseries", "--code", "1332"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"銘柄コードのチェック処理", "収集処理を完了しました。"}));
  // A fresh program folder gets the factory stock list, in CP932.
  const std::string list = testing::file_bytes(dir.path() + "meigara_list.csv");
  EXPECT_EQ(list.substr(0, 5), "3561,");
  EXPECT_NE(list.find("1332,t,\x93\x8C\x8F\xD8" "1\x95\x94"), std::string::npos);  // 東証1部
}

TEST(CommandLine, AFolderInUseKeepsAMissingStockListMissingUntilALatestDayRunBuildsIt) {
  testing::quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  const std::vector<std::string> now{"KARIGANE_NOW=2014-11-27T17:00"};
  for (const bool has_settings : {true, false}) {
    SCOPED_TRACE(has_settings ? "settings" : "database");
    temp_folder dir;
    if (has_settings) {
      testing::write_site_settings(dir.path(), site);
    } else {
      ASSERT_TRUE(ensure_folder(dir.path() + "kabuka/data_m"));
    }
    const auto r =
        run_karigane({"--dir", dir.path(), "collect", "--no-timeseries", "--code", "1332"}, now);
    // Without a list the targets are left as they are.
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.lines(),
              (std::vector<std::string>{"銘柄コードのチェック処理", "収集処理を完了しました。"}));
    EXPECT_FALSE(file_exists(dir.path() + "meigara_list.csv"));
    if (!has_settings) continue;
    // The first latest-day run builds the list from the stocks the site lists.
    const auto latest = run_karigane(
        {"--dir", dir.path(), "collect", "--latest", "--no-timeseries", "--range", "1301", "1333"},
        now);
    EXPECT_EQ(latest.exit_status, 0) << latest.err;
    const std::string list = testing::cp932_file(dir.path() + "meigara_list.csv");
    EXPECT_EQ(list.substr(0, 12), "2,20141127,,") << list;
    EXPECT_NE(list.find("\r\n1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,"), std::string::npos)
        << list;
  }
}

TEST(CommandLine, AnInvalidCodeIsTheErrorEnding) {
  temp_folder dir;
  const auto r = run_karigane({"collect", "--dir", dir.path(), "--code", "999"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.lines(), std::vector<std::string>{"銘柄コードＮＯをご確認ください。"});
}

TEST(CommandLine, TableModeWithoutTheTableSaysSo) {
  temp_folder dir;
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--table"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.lines(), std::vector<std::string>{"ファイル　download_code.csv　がありません。"});
}

TEST(CommandLine, UsageErrorsExitWithTwoAndTouchNothing) {
  struct usage_case {
    std::vector<std::string> args;
    std::vector<std::string> env;
  };
  const std::vector<std::string> now{"KARIGANE_NOW=2014-11-27T10:00"};
  const std::vector<usage_case> cases{
      {{"collect", "--bogus"}, {}},
      {{"collect", "--from", "2013-01"}, {}},
      {{"collect", "--range", "1301"}, {}},
      {{"frobnicate"}, {}},
      {{"--dir"}, {}},
      // Dates no period list can hold never reach the site as year 0000.
      {{"collect", "--from", "2024/13/45"}, now},
      {{"collect", "--from", "abc/def/ghi"}, now},
      {{"collect", "--from", "2013/00/10"}, now},
      {{"collect", "--to", "2013/01/32"}, now},
      {{"collect", "--to", "2013/1/0"}, now},
      {{"collect", "--from", "1982/12/31"}, now},
      {{"collect", "--to", "2015/01/01"}, now},
      {{"collect", "--from", "2013/+1/05"}, now},
      // A clock that is not a time is not silently replaced by the system's.
      {{"collect", "--no-timeseries"}, {"KARIGANE_NOW=2014-11-27"}},
      {{"update"}, {"KARIGANE_NOW=yesterday"}},
  };
  for (const usage_case& c : cases) {
    temp_folder dir;
    std::vector<std::string> full{"--dir", dir.path()};
    full.insert(full.end(), c.args.begin(), c.args.end());
    const auto r = run_karigane(full, c.env);
    EXPECT_EQ(r.exit_status, 2) << c.args.back();
    EXPECT_NE(r.err.find("karigane:"), std::string::npos) << c.args.back();
    EXPECT_EQ(r.out, "") << c.args.back();
    EXPECT_FALSE(file_exists(dir.path() + "meigara_list.csv")) << c.args.back();
  }
  // A day beyond the month's end is the period check's to clamp, not a usage error.
  temp_folder dir;
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--no-timeseries", "--from",
                               "2013/02/31", "--to", "2014/11/31"},
                              now);
  EXPECT_EQ(r.exit_status, 0) << r.err;
}

TEST(CommandLine, AProgramFolderThatCannotBeMadeIsAClearError) {
  temp_folder dir;
  testing::write_bytes(dir.path() + "file", "x");
  const auto r = run_karigane({"--dir", dir.path() + "file/sub", "collect"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("プログラムフォルダを作成できません"), std::string::npos);
}

TEST(CommandLine, HelpListsTheCommandsAndExitStatuses) {
  const auto r = run_karigane({"--help"});
  EXPECT_EQ(r.exit_status, 0);
  for (const char* word : {"collect", "130", "  3 ", "失敗 N件", "--wait", "karigane.lock",
                           "--progress", "--quiet", "--log FILE", "log/karigane-YYYYMMDD.log"}) {
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
}

// Japanese unless the first of LC_ALL, LC_MESSAGES and LANG that is set begins with "en"; English
// comes from the catalogue whether or not that locale is generated on the machine.
TEST(CommandLine, HelpAndUsageErrorsAreInTheReadersLanguage) {
  struct language_case {
    std::vector<std::string> env;
    bool english;
  };
  for (const language_case& c : std::vector<language_case>{
           {{"LC_ALL=", "LC_MESSAGES=", "LANG=en_US.UTF-8"}, true},
           {{"LC_ALL=", "LC_MESSAGES=", "LANG=ja_JP.UTF-8"}, false},
           {{"LC_ALL=", "LC_MESSAGES=", "LANG=C.UTF-8"}, false},
           {{"LC_ALL=C.UTF-8", "LC_MESSAGES=", "LANG=en_US.UTF-8"}, false},
           {{"LC_ALL=", "LC_MESSAGES=en_GB.UTF-8", "LANG=ja_JP.UTF-8"}, true},
       }) {
    const std::string trace = c.env[0] + " " + c.env[1] + " " + c.env[2];
    const auto help = run_karigane({"--help"}, c.env);
    EXPECT_EQ(help.exit_status, 0) << trace;
    for (const char* text : c.english ? std::vector<const char*>{"Usage: karigane", "Commands:",
                                                                 "\"Failures: N\""}
                                      : std::vector<const char*>{"使用法: karigane", "コマンド:",
                                                                 "\"失敗 N件\""}) {
      EXPECT_NE(help.out.find(text), std::string::npos) << trace << ": " << text;
    }
    // A status text quoted in the help is the same in every language.
    EXPECT_NE(help.out.find("\"収集開始\""), std::string::npos) << trace;

    const auto usage = run_karigane({"collect", "--bogus"}, c.env);
    EXPECT_EQ(usage.exit_status, 2) << trace;
    EXPECT_EQ(usage.err, c.english ? "karigane: not an option of collect: --bogus\n"
                                     "See 'karigane --help' for the usage.\n"
                                   : "karigane: collect に使えないオプションです: --bogus\n"
                                     "使い方は 'karigane --help' をご覧ください。\n")
        << trace;
  }
}

}  // namespace
}  // namespace karigane
