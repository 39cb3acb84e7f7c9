// The statement file of a stock and kind: the kind's folder + code + ".csv". Header line: code, an
// empty field, stock name, number of data lines, then 18 fixed item labels; one data line per
// fiscal period, oldest first, with fields 1 to 10 and 12 to 23 of the period record (22 per
// line; field 11 is never written).
#pragma once

#include <string>

#include "core/status.h"
#include "kinds/program_layout.h"
#include "financial/zaimu_table.h"

namespace karigane {

inline constexpr std::size_t kZaimuFileWidth = 22;

// Reads a stock file: header fields to record 0, data line k of n to record n + 1 - k (record
// 1 the newest period). A missing or unreadable file leaves the table untouched; a damaged one
// (fewer lines than its count, a line of another width) leaves it holding what could be read.
status read_statement_file(const std::string& path, zaimu_tbl_t& zaimu_tbl);

// Replaces the file with the header line (record 0's fields 1 to 4 and the fixed labels) and
// records count down to 1; failed when it cannot be written.
status write_statement_file(const std::string& path, const zaimu_tbl_t& zaimu_tbl);

// Merges the fetched periods (newest first) into the stock file of the kind by fiscal period:
// a fetched period replaces a stored one of the same period, new ones are inserted in order;
// a stored file keeps its header's code and name. A missing file is created from the fetched
// table. The fetched periods keep one record per period, the first one listed. ok; damaged or
// io_error: the stored file cannot be read whole and was left as it was; failed: the file (or
// its folder) could not be written. On return the table holds what was written.
status merge_statements(const program_layout& layout, const std::string& kind,
                        zaimu_tbl_t& zaimu_tbl);

}  // namespace karigane
