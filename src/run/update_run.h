// The update run of "更新": the codes of every stored time series, their latest-day prices
// (without a latest-day file unless the request asks for one, "最新日株価"), and the latest day
// written into every time-series file and its yearly file of that year. Before that day is
// written, the series that it would leave with a gap are filled (the request's catch-up,
// "保存データの続きから") or noted and warned about (update_catch_up.h).
#pragma once

#include "core/run_context.h"
#include "kinds/collection_request.h"
#include "run/run_ending.h"

namespace karigane {

run_ending update(run_context& ctx, const update_request& request);

}  // namespace karigane
