// The adjusted-price run of "調整後株価" (out2_hosei_cmd): for every stored stock, a copy of its
// price series scaled across its splits, written into the adjusted-price folder. With
// "年毎から計算" the series and split lists are first joined from the newest run of
// consecutive yearly folders, and the joined files are kept in data_m_1 and data_mh_1.
#pragma once

#include <string>

#include "core/run_context.h"
#include "kinds/collection_request.h"
#include "run/run_ending.h"

namespace karigane {

// The run. It reads the settings itself, shows each file in the status line and ends with the
// window idle and an empty status line (completed). A folder or file of the outputs that
// cannot be written ends it with the error ending ("ファイルを書き込めません: " and the file,
// "（ほかN件）" when files in hand failed too): the files in hand are finished and no new one
// is begun. The stop flag, tested between files, ends it with the abort ending.
run_ending adjust(run_context& ctx, const adjust_request& request);

// The run with what it wrote, for the command line's summary.
struct adjust_result {
  run_ending ending = run_ending::completed;
  long files = 0;  // adjusted files written
  long rows = 0;   // their rows
  double seconds = 0;
};
adjust_result adjust_counted(run_context& ctx, const adjust_request& request);

// The summary of a completed adjustment for standard error: "調整後株価: 3600ファイル
// 18000000行 12.3秒".
std::string adjust_summary_text(const adjust_result& result);

}  // namespace karigane
