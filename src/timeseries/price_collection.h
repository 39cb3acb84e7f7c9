// The time-series step of a collection, whatever the source: the targets with their markets
// from the stock list, each stock's days (the run's period, the continuation of its stored rows
// with "保存データの続きから", or from the first missing day of a gap being filled), and the rows
// the source finds stored by the storing half (price_store.h).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "core/stored_continuation.h"
#include "kinds/program_layout.h"
#include "timeseries/price_source.h"

namespace karigane {

struct price_collection {
  std::vector<std::string> codes;
  collection_period period;   // the run's (a refused period check may leave a date empty)
  bool since_stored = false;  // each stock from the day after its newest stored row
  bool yearly = false;        // the yearly copies as well
  // When given: each stock from its first missing day (within the period); the update's
  // catch-up fills gaps this way.
  const std::map<std::string, date>* first_days = nullptr;
};

// stopped with the run's message when a stop or a run-ending fault ended the step.
status collect_prices(run_context& ctx, const program_layout& layout, price_source& source,
                      const price_collection& request);

}  // namespace karigane
