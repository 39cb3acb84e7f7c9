// The adjusted-price run against a recording context: status line, idle/running switch, and
// the stop flag between files.
#include <gtest/gtest.h>

#include "run/adjust_run.h"
#include "core/file_store.h"
#include "price_fixtures.h"
#include "support/file_fault.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::day;
using testing::price_table;
using testing::price_file_text;
using testing::recording_context;
using testing::temp_folder;
using testing::write_cp932;

void store_stock(const temp_folder& dir, const std::string& code) {
  write_cp932(dir.path() + "kabuka/data_m/" + code + ".csv",
              price_file_text(price_table(code, {day("20130104", "1234.5")})));
}

std::string adjusted(const temp_folder& dir, const std::string& code) {
  return cp932_file(dir.path() + "kabuka/syusei_kabuka/data_m/" + code + ".csv");
}

TEST(AdjustRun, ShowsEachFileAndEndsIdleWithAnEmptyStatusLine) {
  temp_folder dir;
  store_stock(dir, "1301");
  store_stock(dir, "1302");
  recording_context ctx(dir.path());
  ctx.set_stop_flag(true);  // left set by the previous run's ending
  EXPECT_EQ(adjust(ctx, {}), run_ending::completed);
  ASSERT_EQ(ctx.label1_history.size(), 4u);
  EXPECT_EQ(ctx.label1_history[0].text, "");
  EXPECT_EQ(ctx.label1_history[1].text, "調整株価処理中:1301.csv");
  EXPECT_EQ(ctx.label1_history[2].text, "調整株価処理中:1302.csv");
  EXPECT_EQ(ctx.label1_history[3].text, "");
  for (const auto& e : ctx.label1_history) EXPECT_EQ(e.colour, label_colour::blue);
  EXPECT_EQ(ctx.controls_history, (std::vector<bool>{false, true}));
  EXPECT_TRUE(ctx.idle());
  EXPECT_NE(adjusted(dir, "1302"), "");
}

TEST(AdjustRun, YearlyModeNamesItsStatusLineAndEndsTheSameWay) {
  temp_folder dir;
  write_cp932(dir.path() + "kabuka/2013/data_m/1301.csv",
              price_file_text(price_table("1301", {day("20130104", "100")})));
  recording_context ctx(dir.path());
  EXPECT_EQ(adjust(ctx, {true}), run_ending::completed);
  EXPECT_EQ(ctx.label1_texts(), std::vector<std::string>{"年毎調整株価処理中:1301.csv"});
  EXPECT_EQ(ctx.label1(), "");
  EXPECT_EQ(ctx.controls_history, (std::vector<bool>{false, true}));
}

TEST(AdjustRun, AStopEndsTheRunWithEveryFileWholeOrNotWritten) {
  temp_folder dir;
  const int stocks = 400;
  for (int k = 0; k < stocks; ++k) store_stock(dir, std::to_string(2000 + k));
  recording_context ctx(dir.path());
  ctx.stop_when_label1_contains("調整株価処理中:");
  EXPECT_EQ(adjust(ctx, {}), run_ending::aborted);
  EXPECT_EQ(ctx.label1(), "処理を中断しました。");
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  EXPECT_TRUE(ctx.idle());
  // The files in hand when the stop came are finished; no new one is begun.
  int written = 0;
  for (int k = 0; k < stocks; ++k) {
    const std::string code = std::to_string(2000 + k);
    const std::string text = adjusted(dir, code);
    if (text.empty()) continue;
    ++written;
    EXPECT_EQ(text, code + ",東証1部,極洋,20130104,20130104,1\r\n"
                           "20130104,1234.5,1234.5,1234.5,1234.5,1000\r\n");
  }
  EXPECT_LT(written, stocks);
}

TEST(AdjustRun, AWriteFailureBeginsNoNewFileAndNamesTheFirstWithTheOthersInHand) {
  temp_folder dir;
  const int stocks = 100;
  for (int k = 0; k < stocks; ++k) store_stock(dir, std::to_string(2000 + k));
  recording_context ctx(dir.path());
  std::size_t attempts = 0;
  {
    testing::injected_file_fault full(file_call::rename, "syusei_kabuka/data_m/", ENOSPC);
    EXPECT_EQ(adjust(ctx, {}), run_ending::error);
    attempts = full.hits();
  }
  // Only the files in hand when the first failed were tried (a few workers' worth).
  EXPECT_GE(attempts, 1u);
  EXPECT_LE(attempts, 16u);
  std::string expected = "ファイルを書き込めません: kabuka/syusei_kabuka/data_m/2000.csv";
  if (attempts > 1) expected += "（ほか" + std::to_string(attempts - 1) + "件）";
  EXPECT_EQ(ctx.label1(), expected);
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  EXPECT_EQ(list_files(dir.path() + "kabuka/syusei_kabuka/data_m/"), std::vector<std::string>{});
  const progress_snapshot progress = ctx.progress.snapshot();
  EXPECT_EQ(progress.unit, kUnitFiles);
  EXPECT_EQ(progress.total, static_cast<std::size_t>(stocks));
  EXPECT_LE(progress.index, attempts);
}

TEST(AdjustRun, WithoutAPriceFolderThereIsNothingToDo) {
  temp_folder dir;
  recording_context ctx(dir.path());
  EXPECT_EQ(adjust(ctx, {}), run_ending::completed);
  EXPECT_TRUE(ctx.label1_texts().empty());
  EXPECT_TRUE(folder_exists(dir.path() + "kabuka/syusei_kabuka"));
  EXPECT_FALSE(folder_exists(dir.path() + "kabuka/syusei_kabuka/data_m"));
}

}  // namespace
}  // namespace karigane
