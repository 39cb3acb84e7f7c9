// Latest-day files: see latest_files.h.
#include "latest/latest_files.h"

#include <cstdio>

#include "core/file_store.h"
#include "core/text.h"

namespace karigane {
namespace {

status write_rows(const std::string& path, const data_d_table_t& table, std::size_t width) {
  if (table.empty()) return status(status::failed, EINVAL);
  const std::size_t n = data_d_count(table);
  csv_text out;
  for (std::size_t k = 0; k <= n; ++k) out.add_row(table[k], width);
  const file_status written = write_file_atomic(path, out.cp932());
  return written ? status() : status(status::failed, written.error());
}

}  // namespace

status write_latest_day_file(const std::string& path, const data_d_table_t& table,
                             bool intraday) {
  return write_rows(path, table, intraday ? 9 : 8);
}

std::string latest_day_file_name(const std::string& latest_trade_date, const local_time& now,
                                 bool* intraday) {
  const bool during_day = val(latest_trade_date) == val(yyyymmdd(now.day)) && now.hour < 16;
  if (intraday) *intraday = during_day;
  if (!during_day) return latest_trade_date + ".csv";
  char minute[8];
  std::snprintf(minute, sizeof minute, "%02d", now.minute);
  return latest_trade_date + "_" + std::to_string(now.hour) + minute + ".csv";
}

status read_data_d_file(const std::string& path, data_d_table_t& table, bool intraday) {
  return read_table_file(path, table, intraday ? 9 : 8, kDMarket, false);
}

}  // namespace karigane
