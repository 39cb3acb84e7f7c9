// The latest day from the quote site's search pages: see quote_site_latest.h.
#include "sources/quote_site/quote_site_latest.h"

#include "sources/quote_site/search_retrieval.h"

namespace karigane {

status quote_site_latest::fetch_latest_day(run_context& ctx, const std::vector<std::string>& codes,
                                           data_d_table_t& table) {
  return fetch_search_pages(ctx, site_, codes, table, index_chart_);
}

std::vector<date> quote_site_latest::market_days(run_context& ctx) {
  return index_chart_.days(ctx, site_);
}

}  // namespace karigane
