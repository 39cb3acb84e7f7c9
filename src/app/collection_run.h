// The collection run of "収集開始": settings, target selection, the validity check or the
// latest-day collection, then the time-series, margin and financial drivers as ticked, and
// one of three endings (completion, error, abort).
#pragma once

#include "core/run_context.h"

namespace karigane {

enum class run_ending { completed, error, aborted };

// The run; returns how it ended. The window is idle again afterwards and stop_flag is set.
run_ending m_dl_start_cmd_Click(run_context& ctx);

// The three endings, shared by the runs of the window's buttons.
void error_ending(run_context& ctx, const std::string& error_msg_s);
void abort_ending(run_context& ctx);

}  // namespace karigane
