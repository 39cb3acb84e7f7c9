// The price table jikeiretu_data (row 0 header: code, market name, stock name, oldest date,
// newest date, row count; rows: date, open, high, low, close, volume, adjusted close) and the
// split table bunkatu_list (row 0: code, stock name, split count; rows: date, shares before,
// shares after). Tables grow as needed: no row is ever dropped at a capacity.
#pragma once

#include <array>
#include <string>

#include "core/table_file.h"

namespace karigane {

using jikeiretu_row = std::array<std::string, 7>;
using jikeiretu_data_t = table_t<7>;
using bunkatu_row = std::array<std::string, 3>;
using bunkatu_list_t = table_t<3>;

// Header fields (0-based) of the price table.
inline constexpr std::size_t kPriceCode = 0;
inline constexpr std::size_t kPriceMarket = 1;
inline constexpr std::size_t kPriceName = 2;
inline constexpr std::size_t kPriceOldest = 3;
inline constexpr std::size_t kPriceNewest = 4;
inline constexpr std::size_t kPriceCount = 5;
inline constexpr std::size_t kPriceFileWidth = 6;

// Header fields (0-based) of the split table.
inline constexpr std::size_t kSplitCode = 0;
inline constexpr std::size_t kSplitName = 1;
inline constexpr std::size_t kSplitCount = 2;
inline constexpr std::size_t kSplitFileWidth = 3;

inline std::size_t price_count(const jikeiretu_data_t& t) { return table_count(t, kPriceCount); }
inline std::size_t split_count(const bunkatu_list_t& t) { return table_count(t, kSplitCount); }

// Tables with only their header: (code, "", "", "", "", "0") and (code, "", "0").
jikeiretu_data_t empty_price_table(const std::string& code);
bunkatu_list_t empty_split_table(const std::string& code);

// What a source fetches of one stock: its daily rows and its splits, newest first.
struct price_rows {
  jikeiretu_data_t prices;
  bunkatu_list_t splits;
};
price_rows empty_price_rows(const std::string& code);

}  // namespace karigane
