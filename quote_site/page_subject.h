// What a stock page shows: the stock of the query's code and the period of its six period
// keys, changed by a content fault (another stock, or the period a year earlier). Nothing for
// an unknown code or the no-stock fault, which each page answers with its own "no such stock"
// form.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "market_data.h"
#include "page_kind.h"
#include "stock_query.h"

namespace karigane::quote_site {

struct page_subject {
  const stock_info* stock = nullptr;
  shown_period period;
};

std::optional<page_subject> page_subject_of(const market_data& data, const page_query& query,
                                            std::string_view code_key,
                                            const std::array<const char*, 6>& period_keys,
                                            content_fault fault);

}  // namespace karigane::quote_site
