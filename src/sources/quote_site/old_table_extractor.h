// Extraction of one old margin table page (the "旧" form): page checks with the retry budget,
// the stock name, the code, and the weekly balance rows, whose cells write their text in
// <SMALL>. The old page shows no market name.
#pragma once

#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "margin/credit_table.h"

namespace karigane {

// The old table page's text for a window without margin data.
inline constexpr const char* kOldTableNoDataText = "信用残データはありません";

// As read_margin_history_page, with the old page's markers; a page for
// another period fails with "信用売買残の情報はありませんでした".
page_reading read_old_margin_table(run_context& ctx, const std::string& page, const kikan_row& window,
                                   bool verify, credit_tbl_t& credit_tbl);

}  // namespace karigane
