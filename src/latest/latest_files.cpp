// Latest-day files: see latest_files.h.
#include "latest/latest_files.h"

namespace karigane {
namespace {

std::int16_t write_rows(const std::string& path, const data_d_table_t& table, std::size_t width) {
  if (table.empty()) return -1;
  const std::size_t n = data_d_count(table);
  csv_text out;
  for (std::size_t k = 0; k <= n; ++k) out.add_row(table[k], width);
  return write_file_atomic(path, out.cp932()) ? 0 : -1;
}

}  // namespace

std::int16_t write_data_d1_file_sub(const std::string& path, const data_d_table_t& table) {
  return write_rows(path, table, 8);
}

std::int16_t write_data_d2_file_sub(const std::string& path, const data_d_table_t& table) {
  return write_rows(path, table, 9);
}

read_result read_data_d_file(const std::string& path, data_d_table_t& table, bool intraday) {
  return read_table_file(path, table, intraday ? 9 : 8, kDMarket, false);
}

}  // namespace karigane
