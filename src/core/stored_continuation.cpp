// Where a collection takes up stored data: see stored_continuation.h.
#include "core/stored_continuation.h"

#include <algorithm>

#include "core/data_file_bytes.h"
#include "core/file_store.h"
#include "core/trading_days.h"

namespace karigane {
namespace {

// The period from the day after the newest row (when that is later than its start).
collection_period after_newest(const collection_period& period, const std::optional<date>& newest) {
  collection_period p = period;
  if (newest && p.start <= *newest) p.start = add_days(*newest, 1);
  return p;
}

}  // namespace

std::optional<collection_period> daily_continuation(const collection_period& period,
                                                    const std::optional<date>& newest,
                                                    const local_time& now) {
  collection_period p = after_newest(period, newest);
  p.end = std::min(p.end, last_final_day(now));
  if (p.end < p.start) return std::nullopt;
  if (!trading_days().any_between(add_days(p.start, -1), add_days(p.end, 1))) return std::nullopt;
  return p;
}

std::optional<collection_period> weekly_continuation(const collection_period& period,
                                                     const std::optional<date>& newest,
                                                     const date& today) {
  const collection_period p = after_newest(period, newest);
  if (p.end < p.start) return std::nullopt;
  if (newest) {
    // Monday of the week after the newest row's (Sunday counts as the end of its week).
    const int w = day_of_week(*newest);
    const date next_monday = add_days(*newest, w == 0 ? 1 : 8 - w);
    if (p.end < next_monday) return std::nullopt;
    if (!(add_days(next_monday, 4) < today)) return std::nullopt;
  }
  return p;
}

status newest_stored_row(const std::string& path, std::size_t width,
                              std::size_t count_field, std::optional<date>& newest) {
  newest.reset();
  std::string bytes;
  if (const file_status read = read_file_bytes(path, bytes); !read) {
    if (read.missing()) return status::missing;
    return {status::io_error, read.error()};
  }
  std::string last_date;
  data_file_layout layout;
  switch (scan_data_file(bytes, width, count_field, layout)) {
    case layout_scan::damaged:
      return status::damaged;
    case layout_scan::ok:
      if (layout.count == 0) return status::ok;
      last_date = std::string(first_field(layout.last_row));
      break;
    case layout_scan::quoted: {
      table_t<8> table;
      const status r = read_table_file(path, table, width, count_field, false);
      if (r != status::ok) return r;
      const std::size_t n = std::min(table_count(table, count_field), table.size() - 1);
      if (n == 0) return status::ok;
      last_date = table[n][0];
      break;
    }
  }
  newest = parse_yyyymmdd(last_date);
  return newest ? status::ok : status::damaged;
}

}  // namespace karigane
