// The query of one search-page request: the codes of a group of latest-day rows that are not
// filled yet, joined by "+", always ending with the index codes 998407+998405.
#pragma once

#include <string>

#include "core/run_context.h"
#include "latest/data_d_table.h"

namespace karigane {

void make_search_query_sub(run_context& ctx, const data_d_table_t& table, std::size_t first,
                           std::size_t last, std::string& query);

}  // namespace karigane
