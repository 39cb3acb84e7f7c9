// The margin step of a collection run: for every target stock, its margin pages window by
// window (250 days, newest first), merged into its margin file, and with "年毎" its per-year
// files.
#pragma once

#include <cstdint>
#include <string>

#include "codes/targets.h"
#include "core/dates.h"
#include "core/run_context.h"

namespace karigane {

// Returns -1 and "処理を中断しました。" when the stop flag ended it; otherwise the pair left by
// the last window fetched. A stock whose stored margin file cannot be read to its end keeps
// its file as it is and is reported in red on the status line. With "保存データの続きから" each
// stock's period is taken up after its stored weeks (stored_continuation.h); a stock whose
// stored file cannot be read then asks for nothing.
void dl_data_c_sub(run_context& ctx, const code_list_t& code_list, const date& start_date,
                   const date& end_date, std::int16_t& error_flag_s, std::string& error_msg_s);

}  // namespace karigane
