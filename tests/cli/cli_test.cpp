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

// Codes with letters, from the stock list to every file: a range around one takes it from the
// list, the site is asked for it as it is, and the update, adjustment, export and chart see its
// files.
TEST(CommandLine, CodesWithLettersGoWhereverACodeGoes) {
  testing::quote_site_process site({"--now", "2025-08-01T17:00"});
  ASSERT_TRUE(site.started());
  const std::vector<std::string> now{"KARIGANE_NOW=2025-08-01T17:00"};
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  testing::write_cp932(
      dir.path() + "meigara_list.csv",
      "3,20250801,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n"
      "130A,t,東証グロース,(株)アオバサイエンス\r\n1332,t,東証1部,日本水産(株)\r\n");
  auto karigane = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir.path()});
    return run_karigane(args, now);
  };
  auto file = [&](const std::string& relative) {
    return testing::cp932_file(dir.path() + relative);
  };

  // 1309 and 1310 are not listed; 130A lies between them.
  auto r = karigane({"collect", "--range", "1309", "1310", "--from", "2025/03/03", "--to",
                     "2025/07/31", "--yearly"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  for (const std::string& request : site.requests()) {
    EXPECT_NE(request.find("code=130A&"), std::string::npos) << request;
  }
  EXPECT_EQ(file("kabuka/data_m/130A.csv")
                .rfind("130A,東証グロース,(株)アオバサイエンス,20250303,20250731,", 0),
            0u);
  EXPECT_EQ(file("kabuka/data_mh/130A.csv"), "130A,(株)アオバサイエンス,1\r\n20250401,1,2\r\n");
  EXPECT_NE(file("kabuka/2025/data_m/130A.csv"), "");
  // The latest day's run adds a code the list lacks in its place.
  r = karigane(
      {"collect", "--latest", "--code", "2A46", "--from", "2025/07/01", "--to", "2025/07/31"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(file("kabuka/data_mh/2A46.csv"), "2A46,(株)ミナトリンクス,1\r\n20250701,1,3\r\n");
  EXPECT_NE(file("meigara_list.csv").find("\r\n1332,t,東証1部,日本水産(株)\r\n2A46,"),
            std::string::npos)
      << file("meigara_list.csv");

  r = karigane({"update"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  for (const char* code : {"130A", "2A46"}) {
    EXPECT_NE(file("kabuka/data_m/" + std::string(code) + ".csv").find("\r\n20250801,"),
              std::string::npos)
        << code;
  }
  r = karigane({"adjust"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  const std::string stored = file("kabuka/data_m/130A.csv");
  const std::string adjusted = file("kabuka/syusei_kabuka/data_m/130A.csv");
  // Before the split of 2025/04/01 the adjusted prices are halved, after it they are as stored.
  const auto row = [](const std::string& text, const std::string& day) {
    const std::size_t at = text.find("\r\n" + day + ",");
    return at == std::string::npos ? std::string()
                                   : text.substr(at + 2, text.find('\r', at + 2) - at - 2);
  };
  const std::string before = row(stored, "20250303");
  ASSERT_FALSE(before.empty());
  EXPECT_NE(row(adjusted, "20250303"), before);
  EXPECT_EQ(row(adjusted, "20250801"), row(stored, "20250801"));

  r = karigane({"export", "--csv", dir.path() + "export"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_NE(testing::file_bytes(dir.path() + "export/prices.csv").find("\n130A,2025-03-03,"),
            std::string::npos);
  EXPECT_NE(testing::file_bytes(dir.path() + "export/splits.csv").find("\n2A46,2025-07-01,1,3"),
            std::string::npos);
  r = karigane({"chart", "130A", "--out", dir.path() + "130A.png"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_NE(testing::file_bytes(dir.path() + "130A.png"), "");
}

// How a command line that cannot run, or runs into a fault at once, ends: its exit status (as
// README's table has it) and the first line on standard error, with nothing on standard output
// and nothing written but what a refused line never touches.
TEST(CommandLine, EachRefusalHasItsExitStatusAndFirstErrorLine) {
  struct refusal_case {
    std::vector<std::string> args;
    int exit_status;
    std::string first_err_line;
  };
  const std::string not_a_code =
      " は銘柄コードではありません（4 桁の数字か、2 文字目か 4 文字目が"
      "英大文字の 4 文字: 1301、130A）";
  temp_folder blocked;
  testing::write_bytes(blocked.path() + "file", "x");
  const std::vector<refusal_case> cases{
      {{"collect", "--code", "999"}, 2, "karigane: --code 999" + not_a_code},
      {{"collect", "--code", "abc"}, 2, "karigane: --code abc" + not_a_code},
      {{"collect", "--code", "72O3"}, 2, "karigane: --code 72O3" + not_a_code},
      {{"collect", "--code", "12345"}, 2, "karigane: --code 12345" + not_a_code},
      {{"collect", "--range", "1301", "130a"}, 2, "karigane: --range 130a" + not_a_code},
      {{"collect", "--code", "1301", "--from", "2014/11/01", "--to", "2014/10/01"},
       2,
       "karigane: 期間の終わり 2014/10/01 が始め 2014/11/01 より前です（--from と --to をご確認"
       "ください）"},
      {{"collect", "--from", "2014/11/28"},
       2,
       "karigane: 期間の終わり 2014/11/27 が始め 2014/11/28 より前です（--from と --to をご確認"
       "ください）"},
      {{"--dir", blocked.path() + "file/sub", "collect"},
       1,
       "karigane: プログラムフォルダを作成できません: " + blocked.path() + "file/sub/"},
  };
  for (const refusal_case& c : cases) {
    SCOPED_TRACE(c.args[c.args.size() - 1]);
    temp_folder dir;
    std::vector<std::string> args{"--dir", dir.path()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = run_karigane(args, {"KARIGANE_NOW=2014-11-27T17:00"});
    EXPECT_EQ(r.exit_status, c.exit_status);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.first_err_line);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(testing::files_below(dir.path()).size(), 0u);
  }
  // Without a ticked kind that has a period, the period is no fault.
  temp_folder dir;
  const auto r =
      run_karigane({"--dir", dir.path(), "collect", "--no-timeseries", "--from", "2014/11/28"},
                   {"KARIGANE_NOW=2014-11-27T17:00"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
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
  EXPECT_EQ(r.exit_status, 1);
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
