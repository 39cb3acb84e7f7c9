// The latest-day collection, whatever the source: the latest day's table of the targets, the
// stock list renewed from it, the run's targets narrowed to the stocks the source listed, and
// (when asked for) the latest-day file, final or intraday by the clock. A stock without every
// price field stays among the targets but is left out of the table (so of the latest-day file
// and of the update) and counted in the failure tally. A source whose latest day lies after the
// clock's today is counted too, and its table left empty: the clock is behind.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "kinds/program_layout.h"
#include "latest/data_d_table.h"
#include "latest/latest_source.h"

namespace karigane {

// `codes` become the codes the source listed. failed with the message when the table could not
// be had or the stock list or the file could not be written; stopped on a stop.
status collect_latest_day(run_context& ctx, const program_layout& layout, latest_source& source,
                          std::vector<std::string>& codes, bool write_file, data_d_table_t& table);

}  // namespace karigane
