// Gaps between the stored time series and the latest trading day: a series of the
// time-series folder whose newest row lies more than one trading day before the latest day
// (some trading day lies strictly between them). Only the end of each file is read. Trading
// days follow the rule of trading_days.h; when the rule finds a gap, the market's own days as
// the source knows them (the index chart page's sixty or so, a calendar) settle the days they
// cover, so that a public holiday is no gap.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "latest/data_d_table.h"

namespace karigane {

struct series_gap {
  std::string code;  // as the file's name has it
  date newest;       // the series' newest stored row
};

// The gaps of the series whose stocks the latest-day table holds, in the folder's order. A file
// whose end holds no dated row has none (the update reports a file it cannot read).
// `market_days` is asked only when the rule finds a gap (none: the rule stands).
std::vector<series_gap> find_series_gaps(run_context& ctx, const program_layout& layout,
                                         const data_d_table_t& table,
                                         const std::function<std::vector<date>()>& market_days);

}  // namespace karigane
