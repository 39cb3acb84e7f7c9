// The run frame around the real runs, through the recording context: a run-ending fault ends
// the run in red whatever the run made of it, each run starts with an empty tally, and a stop
// while the update writes its files is the abort ending.
#include "run/run_frame.h"
#include "kinds/data_kinds.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "run/collection_run.h"
#include "run/update_run.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::temp_folder;

// The first `n` stock codes of the factory list from 1301 on (codes the local site lists).
std::vector<std::string> listed_codes(std::size_t n) {
  const std::string list =
      testing::cp932_file(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv");
  std::vector<std::string> codes;
  for (std::size_t at = list.find("\r\n"); at != std::string::npos && codes.size() < n;
       at = list.find("\r\n", at + 2)) {
    const std::string code = list.substr(at + 2, 4);
    if (code.size() == 4 && code >= "1301") codes.push_back(code);
  }
  return codes;
}

TEST(RunFrame, ARunEndingFaultIsTheRedErrorEndingAndEachRunStartsWithAnEmptyTally) {
  temp_folder dir;
  recording_context ctx(dir.path());
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "1,20141127,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n");
  collection_request request;
  request.kinds = kind_set{};
  ctx.failures.add({"1301", kind_of(kind_id::prices).name, "", "a failure of the previous run"});
  const std::string message = "ファイルを書き込めません: kabuka/data_m/1301.csv";
  ctx.at_every_pump([&] {
    if (!ctx.has_run_error()) ctx.set_run_error(message);
  });

  const run_outcome outcome = run_in_frame(
      ctx, kRunCollection, [&](run_context& c) { return collect(c, request).ending; });
  EXPECT_EQ(outcome.ending, run_ending::error);
  EXPECT_TRUE(outcome.failures.empty());
  EXPECT_EQ(ctx.label1(), message);
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  EXPECT_TRUE(ctx.idle());
  EXPECT_TRUE(ctx.stop_flag());
}

TEST(RunFrame, AStopWhileTheUpdateWritesItsFilesIsTheAbortEnding) {
  testing::quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  // 120 stored series of 3,000 rows: writing them takes many turns of the pump.
  std::string rows;
  for (int i = 0; i < 3000; ++i) rows += std::to_string(19900101 + i) + ",1,1,1,1,1\r\n";
  const std::string header_tail = ",東証1部,X,19900101,19903100,3000\r\n";
  std::vector<std::string> files;
  for (const std::string& code : listed_codes(120)) {
    files.push_back(dir.path() + "kabuka/data_m/" + code + ".csv");
    testing::write_cp932(files.back(), code + header_tail + rows);
  }
  const auto old_size = std::filesystem::file_size(files[0]);

  recording_context ctx(dir.path());
  ctx.fix_now(local_time{date{2014, 11, 27}, 17, 0, 0});
  ctx.at_every_pump([&] {
    std::error_code ec;
    if (!ctx.stop_flag() && std::filesystem::file_size(files[0], ec) != old_size) {
      ctx.set_stop_flag(true);  // the first file is written: the update is under way
    }
  });
  const run_outcome outcome =
      run_in_frame(ctx, kRunUpdate, [](run_context& c) { return update(c, {}); });

  EXPECT_EQ(outcome.ending, run_ending::aborted);
  EXPECT_EQ(ctx.label1(), "処理を中断しました。");
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  std::size_t updated = 0;
  for (const std::string& f : files) {
    const std::string text = testing::cp932_file(f);
    const bool is_new = text.find("\r\n20141127,") != std::string::npos;
    EXPECT_TRUE(is_new || text.find(header_tail + rows) != std::string::npos) << f;
    updated += is_new ? 1 : 0;
  }
  EXPECT_GE(updated, 1u);
  EXPECT_LT(updated, files.size());
}

TEST(RunFrame, TheProgressCountsTheStocksInOrderAndThePagesAndEndsWithTheRun) {
  testing::quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "3,20141127,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n"
                       "1332,t,東証1部,日本水産(株)\r\n1333,t,東証1部,マルハニチロ(株)\r\n");
  recording_context ctx(dir.path());
  ctx.fix_now(local_time{date{2014, 11, 27}, 17, 0, 0});
  collection_request request;
  request.codes = {selection_mode::range, "1301", "1333"};
  request.period = {"2014", "10", "01", "2014", "11", "27"};
  // What the front ends would draw at each pump, each change once.
  std::vector<std::string> seen;
  ctx.at_every_pump([&] {
    const progress_snapshot s = ctx.progress.snapshot();
    if (!s.active || s.index == 0) return;
    const std::string item = s.run_kind + " " + s.data_kind + " " + progress_count_text(s) + " " +
                             s.code;
    if (seen.empty() || seen.back() != item) seen.push_back(item);
  });

  const run_outcome outcome = run_in_frame(
      ctx, kRunCollection, [&](run_context& c) { return collect(c, request).ending; });
  EXPECT_EQ(outcome.ending, run_ending::completed);
  EXPECT_EQ(seen, (std::vector<std::string>{"収集 時系列株価 銘柄 1/3 1301",
                                            "収集 時系列株価 銘柄 2/3 1332",
                                            "収集 時系列株価 銘柄 3/3 1333"}));
  const progress_snapshot last = ctx.progress.snapshot();
  EXPECT_FALSE(last.active);
  EXPECT_EQ(last.pages, site.requests().size());
}

// The progress's clock, standing where the test puts it.
struct manual_clock {
  explicit manual_clock(run_progress& progress) {
    progress.set_clock([this] { return now; });
  }
  // `seconds` after the clock's start.
  void at(double seconds) {
    now = run_progress::clock::time_point{} +
          std::chrono::duration_cast<run_progress::clock::duration>(
              std::chrono::duration<double>(seconds));
  }
  run_progress::clock::time_point now{};
};

TEST(RunProgress, TheTimeLeftComesFromThePaceOfTheItemsDone) {
  recording_context ctx;
  manual_clock clock(ctx.progress);
  auto at = [&](double seconds) { clock.at(seconds); };
  at(0);
  ctx.progress.start_run(kRunCollection);
  at(1);
  ctx.progress.start_pass(kind_of(kind_id::prices).name, kUnitStocks, 10);
  ctx.progress.at_item(1, "1301");
  at(2);
  // Before any item is done there is no pace.
  EXPECT_EQ(ctx.progress.snapshot().remaining_seconds, -1);
  EXPECT_EQ(progress_line_text(ctx.progress.snapshot()),
            "収集 時系列株価 銘柄 1/10 1301  経過 2秒");

  struct estimate_case {
    double at;
    std::size_t item;   // the item that begins then (0: none)
    double left;        // the estimate
  };
  // Two items in 4 seconds: 2 s each; the seven not begun, and what is left of the third.
  // An item that takes longer than the pace leaves the others their time.
  const std::vector<estimate_case> cases{{5, 3, 16}, {6, 0, 15}, {12, 0, 14}, {19, 10, 2}};
  for (const estimate_case& c : cases) {
    at(c.at);
    if (c.item != 0) ctx.progress.at_item(c.item, std::to_string(1300 + c.item));
    EXPECT_DOUBLE_EQ(ctx.progress.snapshot().remaining_seconds, c.left) << c.at;
  }
  ctx.progress.page_fetched();
  EXPECT_EQ(progress_line_text(ctx.progress.snapshot()),
            "収集 時系列株価 銘柄 10/10 1310  ページ 1  経過 19秒  残り 2秒");
  // The update's and adjustment's passes count files, and do not repeat the run's name.
  ctx.progress.start_run(kRunAdjust);
  ctx.progress.start_pass(kAdjustedLabel, kUnitFiles, 3600);
  at(20);
  ctx.progress.at_item(12);
  EXPECT_EQ(progress_line_text(ctx.progress.snapshot()),
            "調整後株価 ファイル 12/3600  経過 1秒  残り 5分26秒");
}

// The time left covers the whole run: the stocks of the passes still to come count at the pace
// of the pass in hand (a new pass starts at the pace of the one before); a page waited for
// shows its wait instead of a time left that has run out.
TEST(RunProgress, TheTimeLeftCoversThePassesToComeAndAWaitShowsItself) {
  recording_context ctx;
  manual_clock clock(ctx.progress);
  auto at = [&](double seconds) { clock.at(seconds); };
  at(0);
  ctx.progress.start_run(kRunCollection);
  ctx.progress.set_later_items(10);  // the margin pass's ten stocks
  ctx.progress.start_pass(kind_of(kind_id::prices).name, kUnitStocks, 10);
  ctx.progress.at_item(1, "1301");
  at(4);
  ctx.progress.at_item(3, "1333");
  // 2 s a stock: seven and ten not begun, and the one in hand.
  EXPECT_DOUBLE_EQ(ctx.progress.snapshot().remaining_seconds, 36);
  ctx.progress.page_wait(true);
  at(5.9);  // not yet two seconds of waiting
  EXPECT_EQ(time_left_text(ctx.progress.snapshot()), "残り 34秒");
  at(39);
  EXPECT_EQ(progress_line_text(ctx.progress.snapshot()),
            "収集 時系列株価 銘柄 3/10 1333  経過 39秒  応答待ち 35秒");
  ctx.progress.page_wait(false);
  EXPECT_EQ(time_left_text(ctx.progress.snapshot()), "残り 34秒");
  at(40);
  ctx.progress.at_item(10, "1379");
  ctx.progress.set_later_items(0);
  ctx.progress.start_pass(kind_of(kind_id::margin).name, kUnitStocks, 10);
  ctx.progress.at_item(1, "1301");
  // 40 s for the ten stocks before: 4 s a stock until the margin pass has a pace of its own.
  EXPECT_DOUBLE_EQ(ctx.progress.snapshot().remaining_seconds, 40);
}

}  // namespace
}  // namespace karigane
