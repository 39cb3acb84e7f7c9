// One run per program folder, with real runs of the command line: a second run on a held
// folder ends at once, --wait waits for the first to end (or for a stop), a killed run's lock
// blocks nothing, and the temporary files killed runs left behind are removed.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
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

const std::vector<std::string> kClock{"KARIGANE_NOW=2014-11-27T17:00"};
const std::string kSeries1301 =
    "1301,東証1部,(株)極洋,20141125,20141126,2\r\n20141125,1,1,1,1,1\r\n20141126,2,2,2,2,2\r\n";

bool shows_waiting_for_a_page(const std::string& out) {
  return out.find("最新日株価ダウンロード中") != std::string::npos;
}

struct lock_test : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(site.started());
    testing::write_site_settings(dir.path(), site);
    testing::write_cp932(series(), kSeries1301);
    // The first run holds the folder while it waits for a search page that never comes.
    ASSERT_TRUE(site.set_fault("hang", "", 0, "/search/"));
  }
  std::string series() const { return dir.path() + "kabuka/data_m/1301.csv"; }
  process_result update(std::vector<std::string> options = {},
                        const std::function<void(int, const std::string&)>& watch = nullptr,
                        const testing::process_start& start = {}) {
    std::vector<std::string> args{"--dir", dir.path()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("update");
    return run_karigane(args, kClock, watch, start);
  }

  quote_site_process site{std::vector<std::string>{"--now", "2014-11-27T17:00"}};
  temp_folder dir;
};

TEST_F(lock_test, ASecondRunEndsAtOnceAndAWaitingRunGoesOnWhenTheFirstEnds) {
  std::atomic<int> first_pid{0};
  process_result first;
  std::thread first_run([&] {
    first = update({}, [&](int pid, const std::string& out) {
      if (shows_waiting_for_a_page(out)) first_pid = pid;
    });
  });
  for (int i = 0; i < 6000 && first_pid == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(first_pid, 0);

  const process_result second = update();
  EXPECT_EQ(second.exit_status, 1);
  EXPECT_EQ(second.lines(),
            std::vector<std::string>{"別の処理がこのフォルダで実行中です: " + dir.path()});
  EXPECT_LE(site.requests().size(), 1u);  // the first run's request only
  EXPECT_EQ(testing::cp932_file(series()), kSeries1301);

  // A waiting run can be stopped like any other.
  testing::process_start stop_waiting;
  stop_waiting.while_running_err = [](int pid, const std::string& err) {
    if (err.find("終了を待っています") != std::string::npos) ::kill(pid, SIGINT);
  };
  const process_result stopped = update({"--wait"}, nullptr, stop_waiting);
  EXPECT_EQ(stopped.exit_status, 130);
  EXPECT_EQ(stopped.lines(), std::vector<std::string>{"処理を中断しました。"});

  bool first_stopped = false;
  testing::process_start start;
  start.while_running_err = [&](int, const std::string& err) {
    if (first_stopped || err.find("終了を待っています") == std::string::npos) return;
    site.set_fault("none");
    ::kill(first_pid, SIGINT);
    first_stopped = true;
  };
  const process_result third = update({"--wait"}, nullptr, start);
  first_run.join();
  EXPECT_TRUE(first_stopped);
  EXPECT_EQ(first.exit_status, 130);
  EXPECT_EQ(third.exit_status, 0) << third.err;
  EXPECT_EQ(third.lines().back(), "更新処理を完了しました。");
  EXPECT_NE(testing::cp932_file(series()).find("\r\n20141127,"), std::string::npos);
}

TEST_F(lock_test, AKilledRunBlocksNothingAndItsTemporaryFilesAreRemoved) {
  int killed = 0;
  const process_result first = update({}, [&](int pid, const std::string& out) {
    if (killed != 0 || !shows_waiting_for_a_page(out)) return;
    killed = pid;
    ::kill(pid, SIGKILL);
  });
  ASSERT_NE(killed, 0);
  EXPECT_EQ(first.exit_status, 128 + SIGKILL);

  // What a run killed amid its writes leaves: files named after its process id beside their
  // targets, in the database tree and in the program folder.
  const std::string mark = ".karigane-tmp" + std::to_string(killed) + "_0";
  const std::vector<std::string> leftovers{
      series() + mark, dir.path() + "kabuka/2014/data_m/1301.csv" + mark,
      dir.path() + "kabuka/syusei_kabuka/data_m/1301.csv" + mark,
      dir.path() + "meigara_list.csv" + mark};
  for (const std::string& f : leftovers) testing::write_bytes(f, "half");
  // A live process's file may be a run on another program folder that shares the database.
  const std::string live =
      dir.path() + "kabuka/data_m/1332.csv.karigane-tmp" + std::to_string(::getpid()) + "_0";
  testing::write_bytes(live, "in flight");

  ASSERT_TRUE(site.set_fault("none"));
  const process_result second = update();
  EXPECT_EQ(second.exit_status, 0) << second.out << second.err;
  EXPECT_EQ(second.lines().back(), "更新処理を完了しました。");
  for (const std::string& f : leftovers) EXPECT_FALSE(file_exists(f)) << f;
  EXPECT_TRUE(file_exists(live));
}

}  // namespace
}  // namespace karigane
