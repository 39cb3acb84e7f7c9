// The quote site's routes: see page_routes.h.
#include "page_routes.h"

#include "history_page.h"
#include "index_chart_page.h"
#include "margin_history_page.h"
#include "mobile_history_page.h"
#include "mobile_margin_page.h"
#include "old_table_page.h"
#include "search_page.h"

namespace karigane::quote_site {

route_table site_routes(const market_data& data) {
  route_table routes;
  routes.emplace("/history/", std::make_unique<history_page>(data));
  routes.emplace("/stock/historicaldata", std::make_unique<mobile_history_page>(data));
  routes.emplace("/history/margin/", std::make_unique<margin_history_page>(data));
  routes.emplace("/bt", std::make_unique<old_table_page>(data));
  routes.emplace("/stock/historicaldata/margin", std::make_unique<mobile_margin_page>(data));
  routes.emplace("/search/", std::make_unique<search_page>(data));
  routes.emplace("/fisco/cgi-bin/index.cgi", std::make_unique<index_chart_page>(data));
  return routes;
}

}  // namespace karigane::quote_site
