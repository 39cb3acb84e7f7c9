// Time-series price files: kabuka_path + data_m_name + "/" + code + ".csv" and the yearly
// copies kabuka_path + year + "/" + data_m_name + "/" + code + ".csv". Header of six fields,
// then one line per trading day, oldest first: date, open, high, low, close, volume.
#pragma once

#include <cstdint>
#include <string>

#include "core/settei.h"
#include "timeseries/price_table.h"

namespace karigane {

std::string price_file_path(const settei_record& settei, const std::string& code);
std::string yearly_price_file_path(const settei_record& settei, const std::string& year,
                                   const std::string& code);

// Reading: data line k to row k (asc) or to row n+1-k (desc). A missing file leaves the table
// untouched.
read_result read_jikeiretu_asc_sub(const std::string& path, jikeiretu_data_t& table);
read_result read_jikeiretu_desc_sub(const std::string& path, jikeiretu_data_t& table);

// Writing: row 0, then rows 1..n (asc) or rows n..1 (desc); the file is replaced atomically.
// Returns 0 or -1.
std::int16_t write_jikeiretu_asc_sub(const std::string& path, const jikeiretu_data_t& table);
std::int16_t write_jikeiretu_desc_sub(const std::string& path, const jikeiretu_data_t& table);

// Merges the downloaded table (rows newest first) into the stock's main file; a new file takes
// the download's header, an existing one keeps its code and names. A stored file that cannot
// be read to its end is left untouched and the merge fails (-1, `damaged` set).
std::int16_t write_jikeiretu_data_sub(const settei_record& settei, jikeiretu_data_t& table,
                                      bool* damaged = nullptr);

// Rewrites every yearly file of the stock from its main file; `table` is work space.
std::int16_t write_jikeiretu_nengoto_sub(const settei_record& settei, jikeiretu_data_t& table,
                                         const std::string& code);

}  // namespace karigane
