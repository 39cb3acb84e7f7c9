// Generated daily prices and volumes of one stock or index, on today's share basis (what the
// adjusted close shows): a mean-reverting monthly random walk of the price level from January
// 1983, interpolated between months, with daily noise. Every day is computed on its own from
// the seed and the code, so a page needs only the days it shows.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace karigane::quote_site {

struct generated_day {
  double open = 0;  // yen (index points), today's share basis
  double high = 0;
  double low = 0;
  double close = 0;
  double volume = 0;  // shares, today's share basis
};

class price_generator {
 public:
  price_generator(std::uint64_t seed, std::string_view code, bool index);

  generated_day day(const date& d);

 private:
  double level(long day_number);  // log price level on a calendar day
  double anchor(long month);      // log level at the start of a month since January 1983

  std::uint64_t key_;
  bool index_;
  double base_;         // log of the long-run price level
  double base_volume_;  // log of the usual daily volume
  std::vector<double> anchors_;
};

}  // namespace karigane::quote_site
