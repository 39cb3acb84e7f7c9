// Search queries: see search_query.h.
#include "sources/quote_site/search_query.h"

#include "sources/quote_site/quote_addresses.h"

namespace karigane {

void make_search_query_sub(run_context& ctx, const data_d_table_t& table, std::size_t first,
                           std::size_t last, std::string& query) {
  query.clear();
  for (std::size_t k = first; k <= last && k < table.size(); ++k) {
    if (!table[k][kDMarket].empty() && !table[k][kDName].empty()) continue;
    ctx.pump();
    query += "+" + search_site_code(table[k][kDCode]);
  }
  if (query.empty()) {
    query = "998407+998405";
  } else {
    query = query.substr(1) + "+998407+998405";
  }
}

}  // namespace karigane
