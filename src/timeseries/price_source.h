// Where a stock's daily prices and splits come from: the seam between a source (the quote
// site's history pages, an API) and the storing half that every source shares. A source walks
// the targets in its own way (stock by stock, or day by day for the whole market) and hands
// each stock's rows to the sink as it has them; the sink says which days to ask for and stores
// what it is given.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "core/stored_continuation.h"
#include "timeseries/price_table.h"

namespace karigane {

struct price_target {
  std::string code;
  std::string market_name;    // from the stock list, for a new file's header ("" unknown)
  std::string market_letter;  // letters only ("" unknown)
};

// What to ask for of one stock.
struct stock_request {
  // Its stored file cannot be read: nothing is asked for it and nothing stored (it was
  // reported).
  bool skipped = false;
  // The days to ask for; none when its stored rows are current. The dates may be empty when the
  // run's period check refused the period (the run goes on with the dates as they stand).
  std::optional<collection_period> period;
};

class price_sink {
 public:
  virtual ~price_sink() = default;
  virtual stock_request request_of(run_context& ctx, const price_target& target) = 0;
  // Stores rows fetched for the stock (newest first), also when none were found; stopped when
  // the run was interrupted before all of it was stored.
  virtual status store(run_context& ctx, const std::string& code, price_rows& rows) = 0;
};

class price_source {
 public:
  virtual ~price_source() = default;
  // Collects the rows of every target and hands them to the sink. stopped (with the run's
  // message) when a stop or a run-ending fault ended the pass; otherwise ok, the pages or
  // requests that failed being counted in the run's tally.
  virtual status collect_prices(run_context& ctx, const std::vector<price_target>& targets,
                                price_sink& sink) = 0;
};

}  // namespace karigane
