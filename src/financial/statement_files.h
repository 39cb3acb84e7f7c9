// The statement file of a stock and kind: kind folder + code + ".csv". Header line: code, an
// empty field, stock name, number of data lines, then 18 fixed item labels; one data line per
// fiscal period, oldest first, with fields 1 to 10 and 12 to 23 of the period record (22 per
// line; field 11 is never written).
#pragma once

#include <cstdint>
#include <string>

#include "core/settei.h"
#include "financial/zaimu_table.h"

namespace karigane {

inline constexpr std::size_t kZaimuFileWidth = 22;

std::string statement_file_path(const settei_record& settei, const std::string& kind,
                                const std::string& code);

// Reads a stock file: header fields to record 0, data line k of n to record n + 1 - k (record
// 1 the newest period). A missing or unreadable file leaves the table untouched; a damaged one
// (fewer lines than its count, a line of another width) leaves it holding what could be read.
read_result read_data_z_desc_sub(const std::string& path, zaimu_tbl_t& zaimu_tbl);

// Replaces the file with the header line (record 0's fields 1 to 4 and the fixed labels) and
// records count down to 1. Returns 0 or -1.
std::int16_t write_data_z_desc_sub(const std::string& path, const zaimu_tbl_t& zaimu_tbl);

// Merges the fetched periods (newest first) into the stock file of the kind by fiscal period:
// a fetched period replaces a stored one of the same period, new ones are inserted in order;
// a stored file keeps its header's code and name. A missing file is created from the fetched
// table. The fetched periods keep one record per period, the first one listed. A stored file
// that is damaged or unreadable is left untouched (-1, `stored` tells how it read); any other
// -1 is a file (or its folder) that could not be written. On return the table holds what was
// written.
std::int16_t write_data_z_sub(const settei_record& settei, const std::string& kind,
                              zaimu_tbl_t& zaimu_tbl, read_result* stored = nullptr);

}  // namespace karigane
