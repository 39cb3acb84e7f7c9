// The status-line report of a stored file that a run left untouched because it cannot be read
// to its end (rewriting it from a partial read would lose rows). Shown in red; the run goes on.
#pragma once

#include <string>

#include "core/run_context.h"

namespace karigane {

inline std::string damaged_file_message(const std::string& path) {
  return path + " を最後まで読めないため、更新しませんでした。";
}

inline void report_damaged_file(run_context& ctx, const std::string& path) {
  ctx.set_label1(damaged_file_message(path), label_colour::red);
}

}  // namespace karigane
