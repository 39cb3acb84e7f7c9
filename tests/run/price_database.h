// A generated database for the runs that rewrite many stored files (update, adjusted prices):
// stocks of the factory list with daily prices over whole years, in the main files and the
// yearly files, split lists, and adjusted outputs of an earlier run that the adjusted-price
// runs replace.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/dates.h"

namespace karigane::testing {

// The first `count` stock codes of the factory list from 1301 on (indexes left out).
std::vector<std::string> factory_stock_codes(std::size_t count);

// Writes below `kabuka` (the database folder, ending in "/") for each code:
//   data_m/CODE.csv and YYYY/data_m/CODE.csv: a price row for every weekday from `first` to
//     `last` (the yearly files hold their year's rows), prices wandering by the code;
//   data_mh/CODE.csv and YYYY/data_mh/CODE.csv, for every third code: two splits, in the
//     first and in the last year;
//   for every other code, stale outputs of an earlier adjusted-price run, which the next one
//     replaces: syusei_kabuka/data_m/CODE.csv, data_m_1/CODE.csv and data_mh_1/CODE.csv.
void write_price_database(const std::string& kabuka, const std::vector<std::string>& codes,
                          const date& first, const date& last);

}  // namespace karigane::testing
