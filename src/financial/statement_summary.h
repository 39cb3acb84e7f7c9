// The dated summary of a kind: kabuka_path + folder name + "_d/" + YYYYMMDD + ".csv", the day
// from the run's clock. Header line: number of stock lines, the date, the kind, then 21 item
// labels; one line per stock file of the kind folder, in file-name order: code, name and the
// newest stored period (fields 1 to 10 and 12 to 23), 24 fields per line.
//
// Only stock files (four digits and ".csv") are listed. A stock file that cannot be read to
// its end gets no line (its figures are unknown), is named on Label1 in red and counted in the
// run's failure tally; a kind folder that cannot be listed gets no summary and is counted. A
// summary that cannot be written ends the run (the run-ending fault names it).
#pragma once

#include <cstdint>
#include <string>

#include "core/run_context.h"
#include "financial/zaimu_table.h"

namespace karigane {

inline constexpr std::size_t kSummaryWidth = 24;

std::string statement_summary_path(const settei_record& settei, const std::string& kind,
                                   const date& day);

// Reads a summary file: the header to row 0, stock line k to row k.
read_result read_data_z_d_file(const std::string& path, table_t<kSummaryWidth>& table);

// `zaimu_tbl` is scratch space. Returns 0, or -1 when the summary could not be written.
std::int16_t write_data_z_d_sub(run_context& ctx, const std::string& kind,
                                zaimu_tbl_t& zaimu_tbl);

}  // namespace karigane
