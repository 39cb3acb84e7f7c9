// The collection run's steps and endings, through the recording context.
#include "run/collection_run.h"

#include <gtest/gtest.h>

#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::temp_folder;

// A program folder with a small stock list; a request of no data kind.
collection_request prepare(const temp_folder& dir, recording_context& ctx) {
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "2,20141127,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n"
                       "1332,t,東証1部,日本水産(株)\r\n");
  ctx.fix_now(local_time{date{2014, 11, 27}, 10, 0, 0});
  collection_request request;
  request.kinds = kind_set{};
  return request;
}

TEST(CollectionRun, WithNoDataKindTheTargetsAreCheckedAndTheRunCompletes) {
  temp_folder dir;
  recording_context ctx(dir.path());
  EXPECT_EQ(collect(ctx, prepare(dir, ctx)).ending, run_ending::completed);
  EXPECT_EQ(ctx.label1_texts(),
            (std::vector<std::string>{"銘柄コードのチェック処理", "収集処理を完了しました。"}));
  EXPECT_EQ(ctx.label1_colour(), label_colour::blue);
  EXPECT_EQ(ctx.controls_history, (std::vector<bool>{false, true}));
  EXPECT_TRUE(ctx.stop_flag());
  EXPECT_TRUE(ctx.idle());
}

TEST(CollectionRun, AStopAtAnyPointEndsInTheRedAbortAndTheIdleWindow) {
  temp_folder dir;
  long total_pumps = 0;
  {
    recording_context ctx(dir.path());
    collect(ctx, prepare(dir, ctx));
    total_pumps = ctx.pumps();
  }
  ASSERT_GT(total_pumps, 9000);
  // Every pump is a moment the stop button can be pressed; sample them densely where the
  // run's steps are and sparsely through the code-list clearing.
  for (long n = 1; n <= total_pumps; n += (n > 20 && n < 9000) ? 997 : 1) {
    recording_context ctx(dir.path());
    const collection_request request = prepare(dir, ctx);
    ctx.stop_after_pumps(n);
    const run_ending ending = collect(ctx, request).ending;
    if (ending == run_ending::completed) continue;  // stopped after the last test
    ASSERT_EQ(ending, run_ending::aborted) << "pump " << n;
    EXPECT_EQ(ctx.label1(), "処理を中断しました。");
    EXPECT_EQ(ctx.label1_colour(), label_colour::red);
    EXPECT_TRUE(ctx.idle());
    EXPECT_TRUE(ctx.stop_flag());
  }
}

TEST(CollectionRun, ATargetSelectionFailureIsTheRedErrorEnding) {
  temp_folder dir;
  recording_context ctx(dir.path());
  collection_request request = prepare(dir, ctx);
  request.codes.first = "999";
  EXPECT_EQ(collect(ctx, request).ending, run_ending::error);
  EXPECT_EQ(ctx.label1(), "銘柄コードＮＯをご確認ください。");
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  EXPECT_TRUE(ctx.idle());
  EXPECT_TRUE(ctx.stop_flag());
}

TEST(CollectionRun, ARunClearsTheStopFlagLeftByThePreviousOne) {
  temp_folder dir;
  recording_context ctx(dir.path());
  const collection_request request = prepare(dir, ctx);
  ctx.set_stop_flag(true);
  EXPECT_EQ(collect(ctx, request).ending, run_ending::completed);
}

TEST(CollectionRun, ASiteThatStopsAnsweringEndsTheRunAfterFivePages) {
  testing::quote_site_process site({"--now", "2013-02-20T16:00", "--fault", "mode=hang"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  recording_context ctx(dir.path());
  collection_request request = prepare(dir, ctx);
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "4,20130220,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n"
                       "1333,t,東証1部,マルハニチロ(株)\r\n1334,t,東証1部,(株)マルハニチロ\r\n");
  ctx.fix_now(local_time{date{2013, 2, 20}, 16, 0, 0});
  request.codes = {selection_mode::range, "1301", "1334"};
  request.kinds = kind_set{kind_id::prices};
  // Two windows of each of four stocks; each page waits 200 ms for nothing.
  request.period = {"2012", "11", "12", "2013", "2", "19"};
  ctx.wait_limit_ticks = 10;
  ctx.tick_ms = 20;

  EXPECT_EQ(collect(ctx, request).ending, run_ending::error);
  EXPECT_EQ(ctx.label1(), "インターネットからデータを取得できませんでした。");
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  EXPECT_TRUE(ctx.idle());
  EXPECT_EQ(site.requests().size(), 5u);
}

}  // namespace
}  // namespace karigane
