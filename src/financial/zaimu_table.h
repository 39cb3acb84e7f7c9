// The financial table zaimu_tbl of one stock and statement kind. Record 0 is the header: stock
// code, an empty field (no market name), stock name, number of period records. Records 1..n
// are fiscal periods, newest first, with 23 fields each (fiscal period YYYYMM00, announcement
// date, months, the figures); the table grows as needed, so no period is dropped at a
// capacity.
#pragma once

#include <array>
#include <string>

#include "core/table_file.h"

namespace karigane {

inline constexpr std::size_t kZaimuWidth = 23;

using zaimu_record = std::array<std::string, kZaimuWidth>;
using zaimu_tbl_t = table_t<kZaimuWidth>;

// Header fields (0-based) of record 0.
inline constexpr std::size_t kZaimuCode = 0;
inline constexpr std::size_t kZaimuName = 2;
inline constexpr std::size_t kZaimuCount = 3;

// Period fields (0-based): field 1 of a record is index 0.
inline constexpr std::size_t kZaimuPeriod = 0;
// Field 11 lives in memory only: the files leave it out.
inline constexpr std::size_t kZaimuMemoryOnly = 10;

inline std::size_t zaimu_count(const zaimu_tbl_t& t) { return table_count(t, kZaimuCount); }

// A table with only its header (code, "", "", "0").
zaimu_tbl_t empty_zaimu_table(const std::string& code);

}  // namespace karigane
