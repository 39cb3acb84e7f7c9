// The margin step of a collection, whatever the source: each stock's weeks (the run's period,
// or with "保存データの続きから" the weeks after its stored ones) from the source, merged into its
// margin file and, with yearly copies, its yearly files. A stored file that cannot be read
// whole is left untouched and reported; a file that cannot be written ends the run.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "core/stored_continuation.h"
#include "kinds/program_layout.h"
#include "margin/margin_source.h"

namespace karigane {

struct margin_collection {
  std::vector<std::string> codes;
  collection_period period;  // a refused period check may leave a date empty: no weeks then
  bool since_stored = false;
  bool yearly = false;
};

// stopped with the run's message when a stop or a run-ending fault ended the step.
status collect_margin(run_context& ctx, const program_layout& layout, margin_source& source,
                      const margin_collection& request);

}  // namespace karigane
