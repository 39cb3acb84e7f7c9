// The weekly margin balances of the data set: for every stock (none for the indexes), one row
// per week that has ended before today while the stock was listed, dated on the week's last
// trading day (Friday, or the day before a Friday holiday), with the shares sold and bought on
// margin and their change from the week before. Every week is computed on its own from the seed and the code (slowly
// wandering levels with weekly noise, in round lots of 100 shares), so a page needs only the
// weeks it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "market_data.h"

namespace karigane::quote_site {

struct margin_week {
  date day;                      // the week's last trading day
  std::int64_t sell = 0;         // shares sold on margin (売残)
  std::int64_t buy = 0;          // shares bought on margin (買残)
  std::int64_t sell_change = 0;  // from the week before
  std::int64_t buy_change = 0;
};

// The stock's weeks dated in [from, to], newest first; none for an index.
std::vector<margin_week> margin_weeks(const market_data& data, const stock_info& stock,
                                      const date& from, const date& to);

// The margin ratio, bought over sold, with two decimals ("3.25").
std::string margin_ratio_text(const margin_week& week);

// A change with its sign: "+1,200", "-300", "0".
std::string change_text(std::int64_t change);

}  // namespace karigane::quote_site
