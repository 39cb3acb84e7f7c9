// The latest-day table data_d_table: row 0 is the header (latest trade date, number of stock
// rows n, then the labels "銘柄" .. "取引日"); rows 1..n are the target stocks with code, market,
// name, open, high, low, close, volume and trade date (yyyymmdd, or yyyymmdd_hhmm while the
// site shows a time). The table grows with the targets: no stock is dropped at a capacity.
#pragma once

#include <string>

#include "core/table_file.h"

namespace karigane {

using data_d_record = std::array<std::string, 9>;
using data_d_table_t = table_t<9>;

inline constexpr std::size_t kDCode = 0;
inline constexpr std::size_t kDMarket = 1;
inline constexpr std::size_t kDName = 2;
inline constexpr std::size_t kDOpen = 3;
inline constexpr std::size_t kDHigh = 4;
inline constexpr std::size_t kDLow = 5;
inline constexpr std::size_t kDClose = 6;
inline constexpr std::size_t kDVolume = 7;
inline constexpr std::size_t kDTradeDate = 8;

// The value of a price field of a stock that did not trade on the day.
inline constexpr const char* kNoTradeText = "---";

// The header row's labels, "銘柄" to "取引日" (fields 3 to 9).
void label_data_d_header(data_d_record& header);

// The number of stock rows (header `market`), bounded by the rows present.
std::size_t data_d_count(const data_d_table_t& table);

// The captions of the price fields a stock row lacks ("始値,高値,安値" when list view 2 did
// not list it, "出来高,取引日" when list view 1 did not), "" for a whole row. A stock that did
// not trade has "---" in its price fields, which is a value.
std::string missing_price_fields(const data_d_record& row);

}  // namespace karigane
