// The export run (karigane export): every stored file of the database into one SQLite
// database or into UTF-8 CSV files, through the export pass of src/export. It shows one line
// per table ("エクスポート:prices 3600ファイル 18000000行") and ends with
// "エクスポート処理を完了しました。"; a file that cannot be read is skipped and counted in the
// failure tally; a destination that cannot be written ends it with the error ending, a stop
// with the abort ending, and both leave the previous export as it was. A database that another
// program has open is waited for (kExportWaitSeconds, or KARIGANE_EXPORT_WAIT_SECONDS), with a
// warning naming the processes that hold it.
#pragma once

#include <string>

#include "core/run_context.h"
#include "export/export_driver.h"
#include "run/run_ending.h"

namespace karigane {

struct export_request {
  enum class target { sqlite, csv };
  target kind = target::sqlite;
  std::string path;  // the database file, or the CSV folder; absolute
};

struct export_result {
  run_ending ending = run_ending::completed;
  export_counts counts;
  double seconds = 0;  // the run's wall time
};

inline constexpr const char* kExportCompleted = "エクスポート処理を完了しました。";
inline constexpr double kExportWaitSeconds = 30;

export_result export_run(run_context& ctx, const export_request& request);

// The summary of a completed export for standard error: "エクスポート: 3600ファイル
// 18000000行 12.3秒", with the files that were unchanged or could not be read.
std::string export_summary_text(const export_result& result);

}  // namespace karigane
