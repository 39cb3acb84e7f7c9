// The update run of "更新": the codes of every stored time series, their latest-day prices
// (without a latest-day file unless "最新日株価" is ticked), and the latest day written into
// every time-series file and its yearly file of that year. Before that day is written, the
// series that it would leave with a gap are filled ("保存データの続きから") or noted and warned
// about (update_catch_up.h).
#pragma once

#include "core/run_context.h"
#include "run/run_ending.h"

namespace karigane {

run_ending renew_start_cmd_Click(run_context& ctx);

}  // namespace karigane
