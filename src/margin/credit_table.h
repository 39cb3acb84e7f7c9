// The margin table credit_tbl of one stock: row 0 is the header (code, market name, stock
// name, row count), rows 1..count are weeks, newest first while collecting: date yyyymmdd,
// then the texts of the page's second, third and sixth balance cells. The table grows as
// needed, so no row is ever dropped at a capacity.
#pragma once

#include <array>
#include <string>

#include "core/table_file.h"

namespace karigane {

using credit_row = std::array<std::string, 4>;
using credit_tbl_t = table_t<4>;

// Header fields (0-based).
inline constexpr std::size_t kCreditCode = 0;
inline constexpr std::size_t kCreditMarket = 1;
inline constexpr std::size_t kCreditName = 2;
inline constexpr std::size_t kCreditCount = 3;
inline constexpr std::size_t kCreditFileWidth = 4;

// Row fields (0-based).
inline constexpr std::size_t kCreditDate = 0;

inline std::size_t credit_count(const credit_tbl_t& t) { return table_count(t, kCreditCount); }

// A table with only its header: (code, "", "", "0").
credit_tbl_t empty_credit_table(const std::string& code);

}  // namespace karigane
