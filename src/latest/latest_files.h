// The latest-day files data_d/YYYYMMDD.csv (final: eight fields, code to volume) and
// data_d/YYYYMMDD_HMM.csv (intraday: nine fields, with the trade date): their names, writing and
// reading.
#pragma once

#include <string>

#include "core/dates.h"
#include "core/status.h"
#include "latest/data_d_table.h"

namespace karigane {

// The latest-day file's name for a table: "YYYYMMDD.csv" when the data are final,
// "YYYYMMDD_HMM.csv" (hour without leading zero) while they are intraday.
std::string latest_day_file_name(const std::string& latest_trade_date, const local_time& now,
                                 bool* intraday = nullptr);

// Rows 0..n of eight fields (final) or nine (intraday); failed when it cannot be written.
status write_latest_day_file(const std::string& path, const data_d_table_t& table,
                             bool intraday);

// Reads a latest-day file (eight fields a line, or nine for an intraday file) into rows 0..n,
// n from the header's second field.
status read_data_d_file(const std::string& path, data_d_table_t& table, bool intraday);

}  // namespace karigane
