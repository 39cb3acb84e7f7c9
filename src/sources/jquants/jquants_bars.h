// Daily bars (equities/bars/daily) as the time series and the latest day take them: the raw
// prices and volume as decimal text, the day's adjustment factor, and the whole market's bars
// of one day, which the run keeps once it has them (the latest day's query serves the time
// series of that day too).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/dates.h"
#include "sources/jquants/jquants_client.h"
#include "timeseries/price_table.h"

namespace karigane {

struct day_bar {
  std::string code;  // the program's code
  date day;
  // "" where the service gave null: a day without a trade has no prices.
  std::string open, high, low, close, volume, adjusted_close;
  std::optional<double> factor;  // AdjFactor

  bool traded() const { return !open.empty() && !high.empty() && !low.empty() && !close.empty(); }
  // A split or consolidation on this day.
  bool splits() const { return factor && *factor != 1.0; }
};

// The bar of a row; nothing when its code is no stock of the program's or its date no date.
std::optional<day_bar> day_bar_of(const api_row& row);

// The whole market's bars of one day.
struct market_day {
  date day;
  std::vector<day_bar> bars;
};

// The bars of every issue on `day` (every page).
api_outcome market_bars(run_context& ctx, jquants_client& client, const date& day, market_day& out);

// The row of a traded day as the price table holds it (date, O, H, L, C, volume, adjusted
// close); "---" for a volume the service did not give.
jikeiretu_row price_row_of(const day_bar& bar);

// The split row of a day whose factor splits ("20250401", "1", "2"); nothing when the factor
// gives no whole shares (the caller reports it).
std::optional<bunkatu_row> split_row_of(const day_bar& bar);

}  // namespace karigane
