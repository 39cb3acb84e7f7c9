// The time-series step of a collection run: for every target stock, its history pages window
// by window (50 days, newest first), merged into its price file and split list, and with
// "年毎" its yearly files.
#pragma once

#include <cstdint>
#include <string>

#include "codes/targets.h"
#include "core/dates.h"
#include "core/run_context.h"

namespace karigane {

// Returns -1 and "処理を中断しました。" when the stop flag ended it; otherwise the pair left by
// the last window fetched.
void dl_jikeiretudata_sub(run_context& ctx, const code_list_t& code_list, const date& start_date,
                          const date& end_date, std::int16_t& error_flag_s,
                          std::string& error_msg_s);

}  // namespace karigane
