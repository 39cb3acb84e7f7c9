// Collection windows: see kikan_list.h.
#include "core/kikan_list.h"

namespace karigane {

kikan_list_t make_kikan_list(const date& start, const date& end, int days) {
  kikan_list_t list(1);
  const long total = days_between(start, end) + 1;
  for (long k = 1; k <= total; k += days) {
    kikan_row row;
    row.end = add_days(end, -(k - 1));
    row.start = add_days(end, -(k + days - 2));
    if (row.start < start) row.start = start;
    list.push_back(row);
  }
  list[0].label = std::to_string(list.size() - 1);
  return list;
}

}  // namespace karigane
