// One run per program folder, with real runs of the command line: a second run on a held
// folder ends at once, --wait waits for the first to end (or for a stop), a killed run's lock
// blocks nothing, and the temporary files killed runs left behind are removed.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/file_store.h"
#include "run/folder_lock.h"
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
  // The first run, in a thread of its own: back once it holds the folder waiting for its page
  // (first_pid set), or after a minute without (first_pid 0).
  void start_first_run() {
    first_run = std::thread([this] {
      first = update({}, [this](int pid, const std::string& out) {
        if (shows_waiting_for_a_page(out)) first_pid = pid;
      });
    });
    for (int i = 0; i < 6000 && first_pid == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  quote_site_process site{std::vector<std::string>{"--now", "2014-11-27T17:00"}};
  temp_folder dir;
  std::atomic<int> first_pid{0};
  process_result first;
  std::thread first_run;
};

TEST_F(lock_test, ASecondRunEndsAtOnceAndAWaitingRunGoesOnWhenTheFirstEnds) {
  start_first_run();
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

// Program folders whose settings name the same database run on the same files: a run holds the
// database as well, and a lock file deleted under a run keeps no one out.
TEST_F(lock_test, TheDatabaseIsHeldAsWellAndADeletedLockFileLetsNoOneIn) {
  start_first_run();
  ASSERT_NE(first_pid, 0);

  temp_folder other;
  testing::write_site_settings(other.path(), site,
                               "株価データベースフォルダパス," + dir.path() + "kabuka/\r\n");
  // A lock file deleted by hand while the first run holds it.
  ASSERT_EQ(::unlink((dir.path() + "karigane.lock").c_str()), 0);
  ASSERT_EQ(::unlink((dir.path() + "kabuka/karigane.lock").c_str()), 0);
  struct held_case {
    std::string folder;
    std::vector<std::string> command;
    std::string held;  // the folder the message names
  };
  for (const held_case& c : std::vector<held_case>{
           {other.path(), {"update"}, dir.path() + "kabuka/"},
           {dir.path(), {"update"}, dir.path()},
           {dir.path(), {"export", "--csv", other.path() + "export"}, dir.path()},
       }) {
    SCOPED_TRACE(c.folder + " " + c.command[0]);
    std::vector<std::string> args{"--dir", c.folder};
    args.insert(args.end(), c.command.begin(), c.command.end());
    const process_result r = run_karigane(args, kClock);
    EXPECT_EQ(r.exit_status, 1) << r.err;
    EXPECT_EQ(r.lines(), std::vector<std::string>{"別の処理がこのフォルダで実行中です: " + c.held});
  }
  EXPECT_LE(site.requests().size(), 1u);  // the first run's request only
  EXPECT_EQ(testing::cp932_file(series()), kSeries1301);
  ::kill(first_pid, SIGINT);
  first_run.join();
  EXPECT_EQ(first.exit_status, 130);
}

// A run as a user who may read the program folder but not write it (nobody, when the tests run
// as root, whom no permission stops).
process_result run_as_reader(const std::vector<std::string>& args) {
  if (::geteuid() != 0) return run_karigane(args, kClock);
  std::vector<std::string> as_nobody{"--reuid=65534", "--regid=65534", "--clear-groups",
                                     testing::karigane_program()};
  as_nobody.insert(as_nobody.end(), args.begin(), args.end());
  return testing::run_process("/usr/bin/setpriv", as_nobody, kClock);
}

void set_permissions(const std::string& folder, bool writable) {
  namespace fs = std::filesystem;
  const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  const fs::perms read = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read |
                         fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  std::vector<fs::path> paths{folder};
  for (const auto& e : fs::recursive_directory_iterator(folder)) paths.push_back(e.path());
  for (const fs::path& p : paths) {
    fs::permissions(p, read, fs::perm_options::add);
    fs::permissions(p, write, writable ? fs::perm_options::add : fs::perm_options::remove);
  }
}

// Runs that only read take the locks shared: they run beside each other and on a program folder
// they cannot write (a copy on a shared drive), writing only where they are told to and the log
// skipped with one warning.
TEST(ReadOnlyFolder, ExportAndChartReadAFolderTheyCannotWrite) {
  temp_folder dir;
  temp_folder out;
  testing::write_cp932(dir.path() + "kabuka/data_m/1301.csv", kSeries1301);
  set_permissions(out.path(), true);
  // Another reader holds the folder meanwhile.
  folder_lock reader;
  ASSERT_EQ(reader.try_take(dir.path(), folder_lock::mode::shared), folder_lock::result::taken);
  set_permissions(dir.path(), false);

  const process_result exported =
      run_as_reader({"--dir", dir.path(), "export", "--csv", out.path() + "export"});
  EXPECT_EQ(exported.exit_status, 0) << exported.out << exported.err;
  ASSERT_FALSE(exported.lines().empty());
  EXPECT_EQ(exported.lines().back(), "エクスポート処理を完了しました。");
  EXPECT_EQ(exported.err.rfind("karigane: ログファイルに書き込めません（記録なしで続けます）: " +
                                   dir.path() + "log/karigane-20141127.log",
                               0),
            0u)
      << exported.err;
  EXPECT_NE(testing::file_bytes(out.path() + "export/prices.csv").find("\n1301,2014-11-26,2,"),
            std::string::npos);
  const process_result chart =
      run_as_reader({"--dir", dir.path(), "chart", "1301", "--out", out.path() + "1301.png"});
  EXPECT_EQ(chart.exit_status, 0) << chart.err;
  EXPECT_NE(testing::file_bytes(out.path() + "1301.png"), "");
  // Nothing written: the data file and the other reader's lock file are all there is.
  std::vector<std::string> files;
  for (const auto& [path, bytes] : testing::files_below(dir.path())) files.push_back(path);
  EXPECT_EQ(files, (std::vector<std::string>{"kabuka/data_m/1301.csv", "karigane.lock"}));
  set_permissions(dir.path(), true);
}

}  // namespace
}  // namespace karigane
