// The quote site's routes: see page_routes.h.
#include "page_routes.h"

#include "financial_statements.h"
#include "history_page.h"
#include "index_chart_page.h"
#include "margin_history_page.h"
#include "mobile_history_page.h"
#include "mobile_margin_page.h"
#include "old_table_page.h"
#include "profile_page.h"
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
  routes.emplace("/independent/*", std::make_unique<profile_page>(data, statement_kind::independent));
  routes.emplace("/consolidate/*", std::make_unique<profile_page>(data, statement_kind::consolidated));
  routes.emplace("/interim/*", std::make_unique<profile_page>(data, statement_kind::interim));
  return routes;
}

route_table::const_iterator find_route(const route_table& routes, std::string_view path) {
  const auto exact = routes.find(path);
  if (exact != routes.end()) return exact;
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos || slash + 1 == path.size()) return routes.end();
  return routes.find(std::string(path.substr(0, slash + 1)) + "*");
}

}  // namespace karigane::quote_site
