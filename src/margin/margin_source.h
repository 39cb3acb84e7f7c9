// Where a stock's weekly margin balances come from: the seam between a source and the storing
// half every source shares (see timeseries/price_source.h for the pattern).
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "margin/credit_table.h"
#include "timeseries/price_source.h"

namespace karigane {

class margin_sink {
 public:
  virtual ~margin_sink() = default;
  virtual stock_request request_of(run_context& ctx, const std::string& code) = 0;
  // Stores weeks fetched for the stock (newest first), also when none were found.
  virtual status store(run_context& ctx, const std::string& code, credit_tbl_t& weeks) = 0;
};

class margin_source {
 public:
  virtual ~margin_source() = default;
  // stopped (the run's message) when a stop or a run-ending fault ended the pass.
  virtual status collect_margin(run_context& ctx, const std::vector<std::string>& codes,
                                margin_sink& sink) = 0;
};

}  // namespace karigane
