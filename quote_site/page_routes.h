// The page kinds the quote site serves, by path. Adding a page kind is its renderer file and
// one line in page_routes.cpp.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

using route_table = std::map<std::string, std::unique_ptr<page_kind>, std::less<>>;

route_table site_routes(const market_data& data);

// The route of a path: the exact path, else the route registered as the path's folder followed
// by "*", whose pages take the last segment as their subject ("/independent/*" answers
// /independent/1301). routes.end() when there is none.
route_table::const_iterator find_route(const route_table& routes, std::string_view path);

}  // namespace karigane::quote_site
