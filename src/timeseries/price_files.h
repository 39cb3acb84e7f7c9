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

// Reading: data line k to row k (asc) or to row n+1-k (desc). A missing or unreadable file
// leaves the table untouched; a damaged one leaves in it what could be read.
read_result read_jikeiretu_asc_sub(const std::string& path, jikeiretu_data_t& table);
read_result read_jikeiretu_desc_sub(const std::string& path, jikeiretu_data_t& table);

// Writing: row 0, then rows 1..n (asc) or rows n..1 (desc); the file is replaced atomically.
// Returns 0 or -1.
std::int16_t write_jikeiretu_asc_sub(const std::string& path, const jikeiretu_data_t& table);
std::int16_t write_jikeiretu_desc_sub(const std::string& path, const jikeiretu_data_t& table);

// Merges the downloaded table (rows newest first, one per date: the first one the pages listed)
// into the stock's main file; a new file takes the download's header, an existing one keeps
// its code and names. `stored` gets how the stored file read: when it is damaged or
// unreadable, it is left untouched and the merge fails (-1). Any other -1 is a file that
// could not be written.
std::int16_t write_jikeiretu_data_sub(const settei_record& settei, jikeiretu_data_t& table,
                                      read_result* stored = nullptr);

// Rewrites every yearly file of the stock from its main file; `table` is work space. -1 when
// the main file does not read whole (`main_read` tells how it read) or when a yearly file or
// its folder cannot be written (`unwritten` names it; the later years are not begun).
std::int16_t write_jikeiretu_nengoto_sub(const settei_record& settei, jikeiretu_data_t& table,
                                         const std::string& code, read_result* main_read = nullptr,
                                         std::string* unwritten = nullptr);

}  // namespace karigane
