// Daily prices and splits from J-Quants' daily bars. Every target's days are asked of the sink
// first and clipped to the plan's dates; then the stocks are asked for one by one (one query
// over each stock's days) or day by day (one query for the whole market a day, oldest day
// first), whichever makes fewer queries (query_walk.h). Day by day, the rows are held per stock
// until about a million are held, then stored, so that memory stays bounded however long the
// period; a day that fails ends the walk there, after the days before it are stored, and every
// stock still asking counts it. A day without a trade is no row; a day whose factor is not 1
// is a split row. TOPIX (1002) comes from its own endpoint (Light and above); the other index
// codes are not in the API and are passed over with a warning.
#pragma once

#include "sources/jquants/jquants_run.h"
#include "timeseries/price_source.h"

namespace karigane {

class jquants_prices : public price_source {
 public:
  explicit jquants_prices(jquants_run& run) : run_(run) {}
  status collect_prices(run_context& ctx, const std::vector<price_target>& targets,
                        price_sink& sink) override;

 private:
  jquants_run& run_;
};

}  // namespace karigane
