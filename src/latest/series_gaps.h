// Gaps between the stored time series and the latest trading day: a series of the
// time-series folder whose newest row lies more than one trading day before the latest day
// (some trading day lies strictly between them). Only the end of each file is read. Trading
// days follow the rule of trading_days.h; when the rule finds a gap, the index chart page (the
// market's last sixty or so days, one page) settles the days it covers, so that a public
// holiday is no gap.
#pragma once

#include <string>
#include <vector>

#include "core/dates.h"
#include "core/run_context.h"
#include "latest/data_d_table.h"

namespace karigane {

struct series_gap {
  std::string code;  // as the file's name has it
  date newest;       // the series' newest stored row
};

// The gaps of the series whose stocks the latest-day table holds, in the folder's order. A file
// whose end holds no dated row has none (the update reports a file it cannot read).
std::vector<series_gap> find_series_gaps(run_context& ctx, const data_d_table_t& table);

}  // namespace karigane
