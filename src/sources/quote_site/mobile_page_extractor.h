// Extraction of one daily-price history page of the mobile form ("Ｍ"): the same protocol and
// tables as the "新" form, with the mobile page's markers and slash-written dates.
#pragma once

#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "timeseries/price_table.h"

namespace karigane {

page_reading read_mobile_history_page(run_context& ctx, const std::string& page,
                                      const kikan_row& window, price_rows& rows);

}  // namespace karigane
