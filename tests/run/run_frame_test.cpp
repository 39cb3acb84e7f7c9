// The run frame around the real runs, through the recording context: a run-ending fault ends
// the run in red whatever the run made of it, each run starts with an empty tally, and a stop
// while the update writes its files is the abort ending.
#include "run/run_frame.h"

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
  ctx.controls.out1_jikeiretu_chk = false;
  ctx.failures.add({"1301", kKindPrices, "", "a failure of the previous run"});
  const std::string message = "ファイルを書き込めません: kabuka/data_m/1301.csv";
  ctx.at_every_pump([&] {
    if (!ctx.has_run_error()) ctx.set_run_error(message);
  });

  const run_outcome outcome = run_in_frame(ctx, kRunCollection, m_dl_start_cmd_Click);
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
  const run_outcome outcome = run_in_frame(ctx, kRunUpdate, renew_start_cmd_Click);

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

}  // namespace
}  // namespace karigane
