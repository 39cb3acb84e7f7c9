// The split adjustment of one stock's price table: walking from the newest
// row to the oldest, every open, high, low and close is multiplied by a single-precision factor
// and floored; the factor shrinks by before / after on the date of each split.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/data_file_bytes.h"
#include "timeseries/price_table.h"

namespace karigane {

// The value of a stored number (a price or a share count): optional blanks, an optional sign,
// digits with an optional fraction. Anything else ("---", "", "12a") has no value.
std::optional<double> stored_number(std::string_view text);

// The adjusted text of one price: the largest integer not above factor x value, the product
// formed in double precision. A price without a value, or whose product does not fit an
// integer, keeps its text.
std::string adjusted_price_text(const std::string& text, float factor);

// Adjusts rows 1..n of `prices` (ascending by date) in place with the splits of `splits`
// (ascending by date). A table whose code is below 1000 is left as it is. Splits are matched
// to rows by the exact numeric value of the date; a split that matches no row holds back every
// older split. A split whose share counts are not positive numbers cannot scale anything: it
// is passed over (the factor stays) and the result is false.
bool adjust_prices_for_splits(const bunkatu_list_t& splits, jikeiretu_data_t& prices);

// What a day's volume is multiplied by to count in the shares of today: after / before of
// every later split, as the products of the share counts.
struct volume_factor {
  double after = 1;
  double before = 1;
  double of(double volume) const { return volume * after / before; }
};

// The volume factor of each row (rows 1..n, ascending, `dates` their date fields in order):
// the splits are the ones adjust_prices_for_splits applies to the row's prices, so that a volume
// and its prices are adjusted alike and the amount traded stays. The stored files keep their
// volumes as traded; the chart and the export show them adjusted where they show adjusted
// prices.
std::vector<volume_factor> volume_factors(const bunkatu_list_t& splits,
                                          std::span<const std::string_view> dates);

// The bytes adjust_prices_for_splits would have the price file written with, made straight from the
// file's bytes (`layout` from scan_data_file) without building its table: the rows are walked
// once, their prices scaled in place in the text, everything else copied. They are written
// into `work` (memory reused from call to call) and returned as a view of it. Nothing when the
// rows hold anything the reader would change (blanks, bytes outside ASCII): the table way must
// then be taken.
std::optional<std::string_view> adjusted_price_file(std::string_view bytes,
                                                    const data_file_layout& layout,
                                                    const bunkatu_list_t& splits,
                                                    std::string& work);

}  // namespace karigane
