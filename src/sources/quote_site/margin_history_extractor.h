// Extraction of one margin history page (the "新" form): page checks with the retry budget,
// stock and market names, the code, and the weekly balance rows.
#pragma once

#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "margin/credit_table.h"
#include "sources/quote_site/checked_page_fetch.h"

namespace karigane {

// With `verify` (while the retry budget lasts) checks that `page` shows the requested stock
// (header field 1 of `credit_tbl`) and the window, and refuses it when it does not
// ("信用売買残情報はありませんでした"); then appends the page's rows, or ends with one of the
// messages b01..b52 and no rows. Index pages give no rows.
page_reading read_margin_history_page(run_context& ctx, const std::string& page,
                                      const kikan_row& window, bool verify,
                                      credit_tbl_t& credit_tbl);

}  // namespace karigane
