// Extraction of one daily-price history page of the "新" form: page checks with the retry
// budget, stock and market names, price and split rows.
#pragma once

#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "timeseries/price_table.h"

namespace karigane {

// Checks that `page` shows the requested stock (header field 1 of the price table) and the
// window; refuses it when it does not ("株価情報はありませんでした"), and otherwise appends the
// page's rows to both tables, or ends with one of the messages b01..b52 and no rows.
page_reading read_history_page(run_context& ctx, const std::string& page, const kikan_row& window,
                               price_rows& rows);

}  // namespace karigane
