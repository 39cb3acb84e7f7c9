// How a run of the command line shows itself and what record it leaves: the progress line on a
// terminal, --progress and --quiet, and the run log (its lines and their order, the removal of
// old logs, --log, a log that cannot be written).
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>

#include "core/file_store.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::process_result;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

const std::vector<std::string> kNow{"KARIGANE_NOW=2014-11-27T17:00"};
const std::string kThreeStocks =
    "3,20141127,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n"
    "1333,t,東証1部,マルハニチロ(株)\r\n";
const std::string kUnknownKey =
    "karigane: settei.txt の不明なキーを読み飛ばしました: 株価サイトUR\n";
// A code table with a field that is no code: a failure of a run that completes.
const std::string kTableWithAFault = "2\r\n1301\r\n72O3\r\n";
const std::string kTableFault = "失敗 1件\ndownload_code.csv: 銘柄コードではありません: 72O3\n";

std::vector<std::string> text_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(RunOutput, OnATerminalTheProgressIsOneLineRedrawnInPlaceAndClearedAtTheEnd) {
  quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  testing::write_cp932(dir.path() + "meigara_list.csv", kThreeStocks);
  // The third stock's pages never answer: the run waits there, its line drawn, until stopped.
  ASSERT_TRUE(site.set_fault("hang", "1333"));
  testing::process_start start;
  start.stderr_terminal_columns = 200;
  bool stopped = false;
  start.while_running_err = [&](int pid, const std::string& err) {
    if (stopped || err.find("銘柄 3/3 1333") == std::string::npos) return;
    stopped = true;
    ::kill(pid, SIGINT);
  };
  const process_result r = run_karigane({"--dir", dir.path(), "collect", "--range", "1301",
                                         "1333", "--from", "2014/10/01", "--to", "2014/11/27"},
                                        kNow, nullptr, start);

  EXPECT_EQ(r.exit_status, 130);
  // Standard output holds the status texts alone, untouched by the line on the terminal.
  ASSERT_FALSE(r.lines().empty());
  EXPECT_EQ(r.lines().back(), "処理を中断しました。");
  EXPECT_EQ(r.out.find_first_of("\r\x1b"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("銘柄 "), std::string::npos);
  // The terminal got nothing but redraws of one line, the last of which clears it.
  EXPECT_NE(r.err.find("\r収集 時系列株価 銘柄 3/3 1333  ページ "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("経過 "), std::string::npos);
  EXPECT_EQ(r.err.find('\n'), std::string::npos) << r.err;
  ASSERT_GE(r.err.size(), 4u);
  EXPECT_EQ(r.err.substr(r.err.size() - 4), "\r\x1b[K");
}

TEST(RunOutput, QuietPrintsTheFinalTextAndFailuresAndProgressPrintsStampedLines) {
  quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  const std::vector<std::string> collect{"collect", "--code", "1301", "--from", "2014/10/01",
                                         "--to", "2014/11/27"};
  const std::vector<std::string> refused{"collect", "--table", "--no-timeseries"};
  struct output_case {
    const char* name;
    std::vector<std::string> options;
    std::vector<std::string> command;
    int exit_status;
    bool all_status_texts;  // else only the final one
    std::string err;        // exactly; with a progress pattern, the lines besides the progress
    const char* progress_line;
  };
  const std::vector<output_case> cases{
      {"standard error not a terminal", {}, collect, 0, true, kUnknownKey, nullptr},
      // Quiet, the warning of the unknown key goes to the log alone.
      {"quiet", {"--quiet"}, collect, 0, false, "", nullptr},
      {"quiet with a failure", {"-q"}, refused, 3, false, kTableFault, nullptr},
      {"plain progress lines",
       {"--progress"},
       collect,
       0,
       true,
       kUnknownKey,
       "2014-11-27 17:00:00 収集 時系列株価 銘柄 1/1 1301(  ページ [0-9]+)?  経過 [0-9]+秒"},
  };
  std::vector<std::string> all_texts;
  for (const output_case& c : cases) {
    SCOPED_TRACE(c.name);
    temp_folder dir;
    testing::write_site_settings(dir.path(), site, "株価サイトUR,http://127.0.0.1:1\r\n");
    testing::write_cp932(dir.path() + "download_code.csv", kTableWithAFault);
    std::vector<std::string> args{"--dir", dir.path()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), c.command.begin(), c.command.end());
    const process_result r = run_karigane(args, kNow);

    EXPECT_EQ(r.exit_status, c.exit_status) << r.err;
    ASSERT_FALSE(r.lines().empty());
    EXPECT_EQ(r.lines().back(), "収集処理を完了しました。");
    if (c.all_status_texts) {
      if (all_texts.empty()) all_texts = r.lines();
      EXPECT_EQ(r.lines(), all_texts);
      EXPECT_GT(r.lines().size(), 2u);
    } else {
      EXPECT_EQ(r.lines().size(), 1u) << r.out;
    }
    if (c.progress_line == nullptr) {
      EXPECT_EQ(r.err, c.err);
      continue;
    }
    const std::regex progress(c.progress_line);
    std::string rest;
    std::size_t progress_lines = 0;
    for (const std::string& l : text_lines(r.err)) {
      if (std::regex_match(l, progress)) {
        ++progress_lines;
      } else {
        rest += l + "\n";
      }
    }
    EXPECT_GE(progress_lines, 1u) << r.err;
    EXPECT_EQ(rest, c.err);
  }
}

// The lines of a log without their time stamp and process id; every line must have them.
std::vector<std::string> log_events(const std::string& log) {
  const std::regex stamped("2014-11-27 17:00:00 \\[[0-9]+\\] (.*)");
  std::vector<std::string> events;
  for (const std::string& l : text_lines(log)) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(l, m, stamped)) << l;
    events.push_back(m.size() > 1 ? m[1].str() : l);
  }
  return events;
}

TEST(RunLog, EveryRunLeavesItsRecordAndLogsOlderThanThirtyDaysGo) {
  quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site, "株価サイトUR,http://127.0.0.1:1\r\n");
  const std::string logs = dir.path() + "log/";
  testing::write_bytes(logs + "karigane-20141027.log", "31 days old\n");
  testing::write_bytes(logs + "karigane-20141028.log", "30 days old\n");
  testing::write_bytes(logs + "notes.txt", "not a log\n");

  // A run with a warning and a failure.
  testing::write_cp932(dir.path() + "download_code.csv", kTableWithAFault);
  const process_result r =
      run_karigane({"--dir", dir.path(), "collect", "--table", "--no-timeseries"}, kNow);
  EXPECT_EQ(r.exit_status, 3);
  // Warned once, though the settings are read more than once in a run.
  EXPECT_EQ(r.err, kUnknownKey + kTableFault);
  const std::string day_log = logs + "karigane-20141127.log";
  EXPECT_EQ(log_events(testing::file_bytes(day_log)),
            (std::vector<std::string>{
                "開始 収集: karigane --dir " + dir.path() + " collect --table --no-timeseries",
                "警告 settei.txt の不明なキーを読み飛ばしました: 株価サイトUR",
                "状態 銘柄コードのチェック処理",
                "状態 収集処理を完了しました。",
                "失敗 download_code.csv: 銘柄コードではありません: 72O3",
                "終了 完了 終了ステータス 3",
            }));
  EXPECT_FALSE(file_exists(logs + "karigane-20141027.log"));
  EXPECT_EQ(testing::file_bytes(logs + "karigane-20141028.log"), "30 days old\n");
  EXPECT_EQ(testing::file_bytes(logs + "notes.txt"), "not a log\n");

  // --log: the record goes to the file given; the day's log stays as it was.
  const std::string day_log_bytes = testing::file_bytes(day_log);
  const std::string cron_log = dir.path() + "cron/karigane.log";
  const process_result other = run_karigane(
      {"--dir", dir.path(), "--log", cron_log, "-q", "collect", "--no-timeseries"}, kNow);
  EXPECT_EQ(other.exit_status, 0) << other.err;
  const std::vector<std::string> events = log_events(testing::file_bytes(cron_log));
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.front(), "開始 収集: karigane --dir " + dir.path() + " --log " + cron_log +
                                " -q collect --no-timeseries");
  EXPECT_EQ(events.back(), "終了 完了 終了ステータス 0");
  EXPECT_EQ(testing::file_bytes(day_log), day_log_bytes);

  // A log that cannot be written is warned of once, and the run goes on as ever.
  const std::string blocked = logs + "notes.txt/run.log";
  const process_result unlogged =
      run_karigane({"--dir", dir.path(), "--log", blocked, "collect", "--no-timeseries"}, kNow);
  EXPECT_EQ(unlogged.exit_status, 0);
  EXPECT_EQ(unlogged.lines().back(), "収集処理を完了しました。");
  EXPECT_EQ(unlogged.err,
            "karigane: ログファイルに書き込めません（記録なしで続けます）: " + blocked +
                ": フォルダの場所にファイルがあります（ENOTDIR）\n" + kUnknownKey);
}

}  // namespace
}  // namespace karigane
