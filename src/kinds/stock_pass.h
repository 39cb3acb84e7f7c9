// What every pass over target stocks shares, whatever its kind and source: the progress of the
// pass, the pump and the stop check before each stock, and how an interrupted pass ends.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"

namespace karigane {

inline constexpr const char* kInterruptedText = "処理を中断しました。";

// stopped with the message of an interrupted run: the run-ending fault's (a file that cannot be
// written, a site that stopped answering), else "処理を中断しました。".
status interrupted_status(const run_context& ctx);

// Runs `each(i)` for every code in order, after the pump and the stop check, with the progress
// source at stock i + 1 of the pass `label`. Returns stopped as soon as the run is interrupted
// or `each` returns stopped; ok once every code was done.
status for_each_stock(run_context& ctx, const char* label, const std::vector<std::string>& codes,
                      const std::function<status(std::size_t)>& each);

}  // namespace karigane
