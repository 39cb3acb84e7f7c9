// Collection windows: the period cut into windows of a fixed number of calendar days, newest
// first; the oldest window starts on the period start and may be shorter.
#pragma once

#include <string>
#include <vector>

#include "core/dates.h"

namespace karigane {

struct kikan_row {
  std::string label;  // row 0: the number of windows as text
  date start;
  date end;
};

using kikan_list_t = std::vector<kikan_row>;

// Windows of `days` days: for k = 1, 1 + days, ... while k <= (end - start + 1), window i ends
// on end - k + 1 and starts on end - k - (days - 2), or on the period start when that is
// later. Row 0's label holds the number of windows. A start after the end gives no window.
kikan_list_t make_kikan_list(const date& start, const date& end, int days);

}  // namespace karigane
