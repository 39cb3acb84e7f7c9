// Daily price rows of the data set and the reader of real price files (date,open,high,low,
// close,volume with a header line; dates yyyymmdd; prices may have decimals). Prices are held
// in hundredths of a yen (index points likewise) so that they stay exact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace karigane::quote_site {

struct price_row {
  date day;
  std::int64_t open = 0;  // hundredths, unadjusted
  std::int64_t high = 0;
  std::int64_t low = 0;
  std::int64_t close = 0;
  std::int64_t volume = 0;          // shares, unadjusted
  std::int64_t adjusted_close = 0;  // hundredths, on today's share basis
};

// "8110", "2402.85", "-3.5" into hundredths (rounded beyond two decimals); false when the
// text is not a plain decimal number.
bool parse_hundredths(std::string_view text, std::int64_t& out);

// Reads a price file; rows come back ascending by date (a repeated date keeps the last row).
// adjusted_close is left at 0 for the data set to fill.
bool load_price_csv(const std::string& path, std::vector<price_row>& rows, std::string& error);

}  // namespace karigane::quote_site
