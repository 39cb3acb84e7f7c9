// Renewal of the stock list from a latest-day table: stocks the table lists and the list lacks
// are inserted in code order with their market letter, market name and name; entries without a
// market name are dropped; the list is written back.
#pragma once

#include <string>

#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "latest/data_d_table.h"

namespace karigane {

// The one-letter market code of a market name ("t", "s", "q", "o", "n", "f"), or "".
std::string market_letter(const std::string& market_name);

void renew_stock_list(run_context& ctx, const program_layout& layout, const data_d_table_t& table);

}  // namespace karigane
