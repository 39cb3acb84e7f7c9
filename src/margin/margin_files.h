// Margin files: kabuka_path + data_c_name + "/" + code + ".csv" and the per-year copies
// kabuka_path + year + "/" + data_c_name + "/" + code + ".csv". Header of four fields (code,
// market name, stock name, row count), then one line per week, oldest first: date and the
// three balance texts.
#pragma once

#include <cstdint>
#include <string>

#include "core/settei.h"
#include "margin/credit_table.h"

namespace karigane {

std::string margin_file_path(const settei_record& settei, const std::string& code);
std::string yearly_margin_file_path(const settei_record& settei, const std::string& year,
                                    const std::string& code);

// Reading: data line k to row k (asc) or to row n+1-k (desc). A missing or unreadable file
// leaves the table untouched; a damaged one leaves in it what could be read.
read_result read_data_c_asc_sub(const std::string& path, credit_tbl_t& table);
read_result read_data_c_desc_sub(const std::string& path, credit_tbl_t& table);

// Writing: row 0, then rows 1..n (asc) or rows n..1 (desc); the file is replaced atomically.
// Returns 0 or -1.
std::int16_t write_data_c_asc_sub(const std::string& path, const credit_tbl_t& table);
std::int16_t write_data_c_desc_sub(const std::string& path, const credit_tbl_t& table);

// Merges the collected table (rows newest first) into the stock's main file; a new file takes
// the collected header, an existing one keeps its code and names and only its count changes.
// A stored file that is damaged or unreadable is left untouched and the merge fails (-1,
// `stored` tells how it read), so that none of its rows is lost. Any other -1 is a file that
// could not be written. The collected rows keep one row per date, the first one listed.
std::int16_t write_data_c_sub(const settei_record& settei, credit_tbl_t& table,
                              read_result* stored = nullptr);

// Rewrites every per-year file of the stock from its main file; `table` is work space. A main
// file that does not read whole writes nothing (-1; `main_read` tells how it read); a per-year
// file or folder that cannot be written ends the rewriting (-1; `unwritten` names it).
std::int16_t write_data_c_nengoto_sub(const settei_record& settei, credit_tbl_t& table,
                                      const std::string& code, read_result* main_read = nullptr,
                                      std::string* unwritten = nullptr);

}  // namespace karigane
