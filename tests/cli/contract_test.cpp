// The command line's contract against the local quote site: the exit status says how the run
// ended (0 completed, 3 completed with failures, 1 error, 130 stopped), standard error lists
// the failures, and a stop is a stop however early it comes and whatever the run waits for.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <thread>

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

const std::string kListed =
    "2,20141127,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n";
const std::string kSeries1301 =
    "1301,東証1部,(株)極洋,20141125,20141126,2\r\n20141125,1,1,1,1,1\r\n20141126,2,2,2,2,2\r\n";

// How a case stops its run: not at all, with a SIGTERM pending before the program starts (it
// arrives before the run clears its stop flag), or with a SIGINT once a search page is asked
// for (the site never answers it).
enum class stop_kind { none, pending_at_start, while_waiting_for_a_page };

struct contract_case {
  const char* name;
  std::vector<std::string> args;
  stop_kind stop;
  int exit_status;
  std::string last_line;
  std::string err;  // standard error exactly
  long file_size_limit = 0;  // ulimit -f, in bytes
};

TEST(CommandLineContract, TheExitStatusAndStandardErrorTellHowTheRunEnded) {
  quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  const std::vector<contract_case> cases{
      {"completed",
       {"collect", "--code", "1301", "--from", "2014/10/01", "--to", "2014/11/27"},
       stop_kind::none,
       0,
       "収集処理を完了しました。",
       ""},
      {"a code the stock list lacks",
       {"collect", "--code", "1305", "--from", "2014/10/01"},
       stop_kind::none,
       3,
       "収集処理を完了しました。",
       "失敗 1件\n1305: 銘柄リストにありません\n"},
      // The price file outgrows the size limit: a file that cannot be written, not a signal.
      {"file size limit",
       {"collect", "--code", "1301", "--from", "2014/01/06", "--to", "2014/11/27"},
       stop_kind::none,
       1,
       "ファイルを書き込めません: kabuka/data_m/1301.csv",
       "",
       4096},
      {"collect stopped at start",
       {"collect", "--code", "1301", "--from", "2014/10/01"},
       stop_kind::pending_at_start,
       130,
       "処理を中断しました。",
       ""},
      {"update stopped at start",
       {"update"},
       stop_kind::pending_at_start,
       130,
       "処理を中断しました。",
       ""},
      {"adjust stopped at start",
       {"adjust"},
       stop_kind::pending_at_start,
       130,
       "処理を中断しました。",
       ""},
      {"update stopped waiting",
       {"update"},
       stop_kind::while_waiting_for_a_page,
       130,
       "処理を中断しました。",
       ""},
      {"latest day stopped waiting",
       {"collect", "--code", "1301", "--latest", "--no-timeseries"},
       stop_kind::while_waiting_for_a_page,
       130,
       "処理を中断しました。",
       ""},
  };
  for (const contract_case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(site.reset());
    if (c.stop == stop_kind::while_waiting_for_a_page) site.set_fault("hang", "", 0, "/search/");
    temp_folder dir;
    testing::write_site_settings(dir.path(), site);
    const std::string series = dir.path() + "kabuka/data_m/1301.csv";
    if (c.args[0] != "collect") testing::write_cp932(series, kSeries1301);

    std::vector<std::string> args{"--dir", dir.path()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.args[0] == "collect") testing::write_cp932(dir.path() + "meigara_list.csv", kListed);
    testing::process_start start;
    if (c.stop == stop_kind::pending_at_start) start.pending_signal = SIGTERM;
    start.file_size_limit = c.file_size_limit;
    bool signalled = false;
    const process_result r = run_karigane(
        args, {"KARIGANE_NOW=2014-11-27T17:00"},
        [&](int pid, const std::string& out) {
          if (c.stop != stop_kind::while_waiting_for_a_page || signalled) return;
          if (out.find("最新日株価ダウンロード中") == std::string::npos) return;
          // The page is asked for right after that line; stop once the site has the request.
          for (int i = 0; i < 1000 && site.requests().empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
          signalled = true;
          ::kill(pid, SIGINT);
        },
        start);

    EXPECT_EQ(r.exit_status, c.exit_status) << r.out << r.err;
    ASSERT_FALSE(r.lines().empty());
    EXPECT_EQ(r.lines().back(), c.last_line);
    EXPECT_EQ(r.err, c.err);
    if (c.file_size_limit > 0) {
      // The run ends as any write failure does: its record complete, no temporary file left.
      const std::string log = testing::file_bytes(dir.path() + "log/karigane-20141127.log");
      EXPECT_NE(log.find("終了 エラー 終了ステータス 1\n"), std::string::npos) << log;
      for (const auto& [path, bytes] : testing::files_below(dir.path())) {
        EXPECT_EQ(path.find(".karigane-tmp"), std::string::npos) << path;
      }
      EXPECT_FALSE(file_exists(series));
    }
    if (c.stop != stop_kind::none) {
      // A stopped update leaves the stored series as they were.
      if (c.args[0] == "update") {
        EXPECT_EQ(testing::cp932_file(series), kSeries1301);
      }
      if (c.args[0] == "collect") {
        EXPECT_FALSE(file_exists(series));
      }
      if (c.args[0] == "collect" || c.args[0] == "update") {
        EXPECT_EQ(site.requests().size(), c.stop == stop_kind::while_waiting_for_a_page ? 1u : 0u);
      }
    }
  }
}

// A name that does not resolve, a refused connection and a certificate that does not verify are
// tried once more at most, without the back-off: five such pages end the run within seconds,
// and each failure names the host and the cause. A folder without settei.txt is told how to
// name a source; a certificate file that cannot be read is named as the run starts.
TEST(CommandLineContract, LastingNetworkFaultsFailFastAndSayWhy) {
  testing::temp_folder certs;
  ASSERT_TRUE(testing::make_test_certificate(certs.path()));
  quote_site_process tls_site(
      {"--now", "2014-11-27T17:00", "--tls", certs.path() + "cert.pem", certs.path() + "key.pem"});
  ASSERT_TRUE(tls_site.started());
  quote_site_process closed({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(closed.started());
  const std::string closed_port = std::to_string(closed.port());
  closed.stop();
  struct fault_case {
    const char* name;
    std::string site;  // "" : no settei.txt
    std::string extra_settings;
    std::vector<std::string> env;
    std::string first_err_line;
    std::string failure;  // the reason of every page's line
  };
  const std::string no_setup =
      "settei.txt がありません。データの取得元を設定するには: karigane --dir ";
  const std::vector<fault_case> cases{
      {"name",
       "http://quote.invalid",
       "アクセス間隔ミリ秒,0\r\n",
       {},
       "失敗 4件",
       "名前解決できません: quote.invalid"},
      {"refused",
       "http://127.0.0.1:" + closed_port,
       "",
       {},
       "失敗 4件",
       "接続を拒否されました: 127.0.0.1:" + closed_port},
      {"certificate", tls_site.url(), "", {}, "失敗 4件", "証明書を検証できません: 127.0.0.1"},
      {"certificate file",
       tls_site.url(),
       "CA証明書ファイル,missing.pem\r\n",
       {},
       "karigane: CA証明書ファイルを読めません: ",
       "証明書を検証できません: 127.0.0.1"},
      // Without settei.txt: the outside site by default, here behind a proxy that does not
      // resolve, so that nothing leaves this machine.
      {"first run",
       "",
       "",
       {"http_proxy=http://proxy.invalid:8080", "no_proxy=", "NO_PROXY="},
       "失敗 4件",
       "名前解決できません: proxy.invalid"},
  };
  for (const fault_case& c : cases) {
    SCOPED_TRACE(c.name);
    temp_folder dir;
    if (!c.site.empty()) {
      testing::write_cp932(dir.path() + "settei.txt",
                           "株価サイトURL," + c.site + "\r\n" + c.extra_settings + "EOF,EOF\r\n");
    }
    std::vector<std::string> env{"KARIGANE_NOW=2014-11-27T17:00"};
    env.insert(env.end(), c.env.begin(), c.env.end());
    const auto start = std::chrono::steady_clock::now();
    const process_result r = run_karigane(
        {"--dir", dir.path(), "collect", "--code", "1301", "--from", "2014/01/06"}, env);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(r.exit_status, 1) << r.err;
    ASSERT_FALSE(r.lines().empty());
    EXPECT_EQ(r.lines().back(), "インターネットからデータを取得できませんでした。");
    EXPECT_EQ(r.err.rfind(c.first_err_line, 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\n1301 時系列株価 2014/10/09～2014/11/27: " + c.failure + "\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find(no_setup) != std::string::npos, c.site.empty()) << r.err;
  }
}

TEST(CommandLineContract, AClosedStandardOutputDoesNotStopTheRun) {
  quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  // Five windows of 50 days, one status line each: the reader is gone after the first.
  const process_result r = testing::run_process(
      "/bin/bash",
      {"-c", "'" + std::string(KARIGANE_CLI_PATH) + "' --dir '" + dir.path() +
                 "' collect --code 1301 --from 2014/03/01 --to 2014/11/27 | head -1; "
                 "exit ${PIPESTATUS[0]}"},
      {"KARIGANE_NOW=2014-11-27T17:00"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines().size(), 1u);
  const std::string file = testing::cp932_file(dir.path() + "kabuka/data_m/1301.csv");
  EXPECT_NE(file.find("\r\n20140303,"), std::string::npos) << file.substr(0, 80);
  EXPECT_NE(file.find("\r\n20141127,"), std::string::npos);
}

}  // namespace
}  // namespace karigane
