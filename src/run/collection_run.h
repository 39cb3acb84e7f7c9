// The collection run of "収集開始": settings, target selection, the check of the targets against
// the stock list or the latest-day collection, then the time-series, margin and financial steps
// as asked, and one of three endings (completion, error, abort).
#pragma once

#include <optional>

#include "core/run_context.h"
#include "kinds/collection_request.h"
#include "run/run_ending.h"

namespace karigane {

struct collection_outcome {
  run_ending ending = run_ending::completed;
  // The code selection as the code boxes show it once the targets were chosen (normalised, a
  // range's ends in order); nothing when the run ended before.
  std::optional<code_selection> shown;
};

// The run; the window is idle again afterwards and stop_flag is set.
collection_outcome collect(run_context& ctx, const collection_request& request);

}  // namespace karigane
