// The page kinds the quote site serves, by path. Adding a page kind is its renderer file and
// one line in page_routes.cpp.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

using route_table = std::map<std::string, std::unique_ptr<page_kind>, std::less<>>;

route_table site_routes(const market_data& data);

}  // namespace karigane::quote_site
