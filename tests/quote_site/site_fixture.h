// Shared pieces of the quote site tests: the factory data set built once per seed, and a
// page rendered and passed through the browser's legacy serialization.
#pragma once

#include <string>

#include "market_data.h"
#include "page_kind.h"

namespace karigane::testing {

// The factory data set with "today" 2013-02-20 16:00 (or `now`), built once per seed and day.
const quote_site::market_data& factory_data(std::uint64_t seed = 1, const std::string& now = "2013-02-20T16:00");

// "/history/?code=1301&sy=2013" as the server hands it to a renderer.
quote_site::page_query query_of(const std::string& path_and_query);

// The page a renderer writes for the query, as page retrieval returns it (legacy body).
std::string legacy_page(const quote_site::page_kind& kind, const std::string& path_and_query,
                        quote_site::content_fault fault = quote_site::content_fault::none);

}  // namespace karigane::testing
