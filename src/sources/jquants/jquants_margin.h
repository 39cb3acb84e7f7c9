// Weekly margin balances from J-Quants (markets/margin-interest, Standard and Premium): the week's
// date, 売り残 = ShrtVol, 買い残 = LongVol, and the ratio bought over sold with two decimals as
// the margin pages show it ("---" when nothing is sold). On a lower plan the kind is refused
// before any request, once, and counted. Stocks are asked for one by one or week by week for
// the whole market, whichever makes fewer queries; week by week each week is asked by its
// reference date (the week's last business day), and when such a week comes back empty by its
// publication date (the second business day after it) too, whose reading then holds for the
// rest of the run: the service's documents disagree on what `date` means here.
#pragma once

#include "margin/margin_source.h"
#include "sources/jquants/jquants_run.h"

namespace karigane {

class jquants_margin : public margin_source {
 public:
  explicit jquants_margin(jquants_run& run) : run_(run) {}
  status collect_margin(run_context& ctx, const std::vector<std::string>& codes,
                        margin_sink& sink) override;

 private:
  jquants_run& run_;
};

// The week dates among business days (ascending): the last business day of every week
// (Monday to Sunday).
std::vector<date> week_dates(const std::vector<date>& business_days);

}  // namespace karigane
