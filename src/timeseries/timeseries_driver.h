// The time-series step of a collection run: for every target stock, its history pages window
// by window (50 days, newest first), merged into its price file and split list, and with
// "年毎" its yearly files.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "codes/targets.h"
#include "core/dates.h"
#include "core/run_context.h"

namespace karigane {

// The first day to collect of some stocks (the update's catch-up): a listed stock's period runs
// from its day to the period end; the others take the whole period. Keys are the codes as the
// code list holds them.
using first_days_t = std::unordered_map<std::string, date>;

// Returns -1 and "処理を中断しました。" when the stop flag ended it; otherwise the pair left by
// the last window fetched. With "保存データの続きから" ticked (and no `first_days`) each stock's
// period is taken up after its stored rows (stored_continuation.h); a stock whose stored file
// cannot be read then asks for nothing and is reported. A stock's split list is written before
// its price file, so that a price file that holds a period's rows means the whole stock was.
void dl_jikeiretudata_sub(run_context& ctx, const code_list_t& code_list, const date& start_date,
                          const date& end_date, std::int16_t& error_flag_s,
                          std::string& error_msg_s, const first_days_t* first_days = nullptr);

}  // namespace karigane
