// Cutting an API answer's rows into pages, and the pagination keys that lead from one page to
// the next. A key is opaque to the client: it names the row the next page starts at, bound to
// the query it came with (the path and every parameter but pagination_key), so it differs from
// page to page and from query to query, and is refused with any other query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "page_kind.h"

namespace karigane::quote_site {

// The service cuts a page at about this size of body.
inline constexpr std::size_t kPageBytes = 5'000'000;

struct page_of_rows {
  std::size_t first = 0;
  std::size_t end = 0;   // one past the page's last row
  std::string next_key;  // "" on the last page
};

std::uint64_t query_identity(std::string_view path, const param_map& params);

// The page of `rows` that starts at `first`: at most `page_rows` rows, or when that is 0 as
// many as keep the body within kPageBytes (one row at least).
page_of_rows cut_page(std::span<const std::string> rows, std::size_t first, std::size_t page_rows,
                      std::uint64_t identity);

// The row a key continues from; false when the key does not belong to the query.
bool read_pagination_key(std::string_view key, std::uint64_t identity, std::size_t& first);

}  // namespace karigane::quote_site
