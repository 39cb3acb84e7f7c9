// Parsing the search-result pages: list view 1 (market, name, time or date, last price,
// volume) and list view 2 (name, last price, open, high, low) of a group of latest-day rows.
// Each stock's row is found by its code; a stock the page does not list stays unfilled.
#pragma once

#include <string>

#include "core/run_context.h"
#include "latest/data_d_table.h"

namespace karigane {

void read_yh_data_d1_sub(run_context& ctx, const std::string& page, data_d_table_t& table,
                         std::size_t first, std::size_t last);
void read_yh_data_d2_sub(run_context& ctx, const std::string& page, data_d_table_t& table,
                         std::size_t first, std::size_t last);

// The trade date of a list-view-1 time or date cell read on `today`: "9:05" gives
// today + "_0905"; "12/30" gives the date of this year, or of last year when the month lies
// after this month.
std::string trade_date_of_cell(const std::string& cell, const date& today);

}  // namespace karigane
