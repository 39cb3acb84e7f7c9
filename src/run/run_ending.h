// How a run of one of the window's buttons begins, how it ends, and the two endings other than
// completion that every run shares: the error ending (the message in red) and the abort ending.
#pragma once

#include <string>

#include "core/run_context.h"

namespace karigane {

enum class run_ending { completed, error, aborted };

// The opening every run shares: no stop pending from an earlier run, an empty tally and no
// run-ending fault, the status line blank.
void begin_button_run(run_context& ctx);

// Error ending: the message in red, the window idle again, stop_flag set.
void error_ending(run_context& ctx, const std::string& error_msg_s);

// Abort ending: "処理を中断しました。" in red, the window idle again, stop_flag set.
void abort_ending(run_context& ctx);

}  // namespace karigane
