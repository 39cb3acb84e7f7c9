// The storing half of the time series, written once for every source: a stock's fetched rows
// are merged into its split list first, then into its price file (so a run cut short between
// the two leaves the price file as it was and a run that takes up the stored rows asks for the
// stock's days again), then, with yearly copies, its yearly files are rewritten from both. A
// stored file that cannot be read whole is left untouched and reported; a file that cannot be
// written ends the run.
#pragma once

#include <string>

#include "core/run_context.h"
#include "core/status.h"
#include "kinds/program_layout.h"
#include "timeseries/price_table.h"

namespace karigane {

// stopped (the run's message) when the run was interrupted before or between the files.
status store_price_rows(run_context& ctx, const program_layout& layout, const std::string& code,
                        price_rows& rows, bool yearly);

}  // namespace karigane
