// Split lists: kabuka_path + data_m_name + "h/" + code + ".csv" and the yearly lists
// kabuka_path + year + "/" + data_m_name + "h/" + code + ".csv". Header: code, stock name,
// split count; then one line per split, oldest first: date, shares before, shares after.
#pragma once

#include <cstdint>
#include <string>

#include "core/settei.h"
#include "timeseries/price_table.h"

namespace karigane {

std::string split_folder_path(const settei_record& settei);
std::string split_file_path(const settei_record& settei, const std::string& code);
std::string yearly_split_file_path(const settei_record& settei, const std::string& year,
                                   const std::string& code);

read_result read_bunkatu_asc_sub(const std::string& path, bunkatu_list_t& table);
read_result read_bunkatu_desc_sub(const std::string& path, bunkatu_list_t& table);
std::int16_t write_bunkatu_asc_sub(const std::string& path, const bunkatu_list_t& table);
std::int16_t write_bunkatu_desc_sub(const std::string& path, const bunkatu_list_t& table);

// Merges the downloaded splits (newest first) into the stock's split list, as the price merge
// does; a damaged or unreadable stored list is left untouched (-1, `stored` tells how it
// read). Any other -1 is a list that could not be written.
std::int16_t write_bunkatu_data_sub(const settei_record& settei, bunkatu_list_t& table,
                                    read_result* stored = nullptr);

// Rewrites the stock's yearly split lists from its split list; nothing when it has none. -1
// as for the yearly price files.
std::int16_t write_bunkatu_nengoto_sub(const settei_record& settei, bunkatu_list_t& table,
                                       const std::string& code, read_result* main_read = nullptr,
                                       std::string* unwritten = nullptr);

}  // namespace karigane
