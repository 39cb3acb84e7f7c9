// Where the latest trading day's prices come from: the seam between a source (the quote site's
// search pages, an API's day of the whole market) and what every source shares (the stock list
// renewal, the latest-day file, the update of the stored series).
#pragma once

#include <string>
#include <vector>

#include "core/dates.h"
#include "core/run_context.h"
#include "core/status.h"
#include "latest/data_d_table.h"

namespace karigane {

class latest_source {
 public:
  virtual ~latest_source() = default;
  // Fills the latest-day table of the targets: its header holds the latest trade date and the
  // number of rows; a row for every target the source lists (code, market, name, prices,
  // volume, trade date; "---" for a stock that did not trade; a field left empty when the
  // source did not give it), in the targets' order; the index codes' rows as the source has
  // them. failed with the message when the source could not be read, stopped on a stop.
  virtual status fetch_latest_day(run_context& ctx, const std::vector<std::string>& codes,
                                  data_d_table_t& table) = 0;
  // The market's trading days as the source knows them near the latest day (for the gaps of
  // the stored series); none when it cannot tell.
  virtual std::vector<date> market_days(run_context& ctx) = 0;
};

}  // namespace karigane
