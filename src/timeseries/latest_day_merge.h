// The latest trading day's prices written into the stored time series: every time-series file
// whose code the latest-day table holds, and its yearly file of that year.
#pragma once

#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "latest/data_d_table.h"

namespace karigane {

// Writes the latest trade day of the table into the time-series files of its stocks (the main
// folder, then the yearly folder of that year): the row of that day is replaced when it is
// there, otherwise added in date order. A row whose close is "---" (a stock that did not trade,
// from a source without its last price) is not written. A file that cannot be read whole is
// left untouched, named in red and counted in the failure tally; one that cannot be written
// ends the run (the run-ending fault), and no further file is begun.
void merge_latest_day(run_context& ctx, const program_layout& layout,
                      const data_d_table_t& table);

}  // namespace karigane
