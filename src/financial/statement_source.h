// Where a company's financial statements come from: the seam between a source and the storing
// half every source shares (see timeseries/price_source.h for the pattern).
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "financial/zaimu_table.h"

namespace karigane {

class statement_sink {
 public:
  virtual ~statement_sink() = default;
  // Stores the periods of one statement kind ("単独決算", "連結決算", "中間決算") fetched for a
  // company; the outcome the pass goes on with (failed when the file could not be stored).
  virtual status store(run_context& ctx, const std::string& kind, const std::string& code,
                       zaimu_tbl_t& periods) = 0;
};

class statement_source {
 public:
  virtual ~statement_source() = default;
  // Collects every statement kind of every company and hands each to the sink. stopped (the
  // run's message) when a stop or a run-ending fault ended the pass; otherwise the outcome of
  // the last statement fetched and stored (the failures on the way are in the run's tally).
  virtual status collect_statements(run_context& ctx, const std::vector<std::string>& companies,
                                    statement_sink& sink) = 0;
  // Whether the targets are narrowed to the companies the stock list names so ("(株)" in the
  // name) before the source is asked: the quote site has statement pages for companies alone.
  // A source whose list names companies otherwise (J-Quants' names carry no "(株)") is asked
  // for every target and has nothing for a fund.
  virtual bool companies_by_name() const { return true; }
};

}  // namespace karigane
