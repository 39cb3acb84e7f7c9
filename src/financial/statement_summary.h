// The dated summary of a kind: its summary folder (data_ztan_d/ and so on) + YYYYMMDD + ".csv", the day
// from the run's clock. Header line: number of stock lines, the date, the kind, then 21 item
// labels; one line per stock file of the kind folder, in file-name order: code, name and the
// newest stored period (fields 1 to 10 and 12 to 23), 24 fields per line.
//
// Only stock files (four digits and ".csv") are listed. A stock file that cannot be read to
// its end gets no line (its figures are unknown), is named on Label1 in red and counted in the
// run's failure tally; a kind folder that cannot be listed gets no summary and is counted. A
// summary that cannot be written ends the run (the run-ending fault names it).
#pragma once

#include <string>

#include "core/run_context.h"
#include "core/status.h"
#include "kinds/program_layout.h"
#include "financial/zaimu_table.h"

namespace karigane {

inline constexpr std::size_t kSummaryWidth = 24;

// Reads a summary file: the header to row 0, stock line k to row k.
status read_statement_summary(const std::string& path, table_t<kSummaryWidth>& table);

// Writes the kind's summary of the day; failed when it could not be written (the run-ending
// fault names it).
status write_statement_summary(run_context& ctx, const program_layout& layout,
                               const std::string& kind);

}  // namespace karigane
