// The latest day from J-Quants: the newest business day of the calendar that the plan covers
// and whose bars are out (today only from 17:00; a day without bars yet gives way to the one
// before it), one query for the whole market's bars of that day (and its pages), which the run
// keeps for the time series. A row for every target that traded that day, with the market and
// name of the stock list, or of the day's list of issues (equities/master, asked only when a
// target is not in the stock list). A stock listed that day without a trade has "---" in every
// price field (J-Quants gives no last price), which the update does not write into its series;
// a stock the day's bars do not list (delisted, on a regional exchange) has no row. TOPIX
// (1002) from its own endpoint where the plan has it (no volume: "---"). The market's days are
// the calendar's.
#pragma once

#include "latest/latest_source.h"
#include "sources/jquants/jquants_run.h"

namespace karigane {

class jquants_latest : public latest_source {
 public:
  explicit jquants_latest(jquants_run& run) : run_(run) {}
  status fetch_latest_day(run_context& ctx, const std::vector<std::string>& codes,
                          data_d_table_t& table) override;
  std::vector<date> market_days(run_context& ctx) override;

 private:
  jquants_run& run_;
};

}  // namespace karigane
