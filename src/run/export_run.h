// The export run (karigane export): every stored file of the database into one SQLite
// database or into UTF-8 CSV files, through the export pass of src/export. It shows each file
// it reads ("エクスポート処理中:1301.csv") and ends with "エクスポート処理を完了しました。"; a
// file that cannot be read is skipped and counted in the failure tally; a destination that
// cannot be written ends it with the error ending, a stop with the abort ending, and both
// leave the previous export as it was.
#pragma once

#include <string>

#include "core/run_context.h"
#include "run/run_ending.h"

namespace karigane {

struct export_request {
  enum class target { sqlite, csv };
  target kind = target::sqlite;
  std::string path;  // the database file, or the CSV folder; absolute
};

inline constexpr const char* kExportCompleted = "エクスポート処理を完了しました。";

run_ending export_run(run_context& ctx, const export_request& request);

}  // namespace karigane
