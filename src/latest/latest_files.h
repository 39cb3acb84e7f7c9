// The latest-day files kabuka_path + data_d_name + "/YYYYMMDD.csv" (final: eight fields, code
// to volume) and "/YYYYMMDD_HHMM.csv" (intraday: nine fields, with the trade date): writing
// and reading.
#pragma once

#include <cstdint>
#include <string>

#include "latest/data_d_table.h"

namespace karigane {

std::int16_t write_data_d1_file_sub(const std::string& path, const data_d_table_t& table);
std::int16_t write_data_d2_file_sub(const std::string& path, const data_d_table_t& table);

// Reads a latest-day file (eight fields a line, or nine for an intraday file) into rows 0..n,
// n from the header's second field.
read_result read_data_d_file(const std::string& path, data_d_table_t& table, bool intraday);

}  // namespace karigane
