// The collection run of "収集開始": settings, target selection, the validity check or the
// latest-day collection, then the time-series, margin and financial drivers as ticked, and
// one of three endings (completion, error, abort).
#pragma once

#include "core/run_context.h"
#include "run/run_ending.h"

namespace karigane {

// The run; returns how it ended. The window is idle again afterwards and stop_flag is set.
run_ending m_dl_start_cmd_Click(run_context& ctx);

}  // namespace karigane
