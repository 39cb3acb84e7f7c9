// Extraction of one old margin table page (the "旧" form): page checks with the retry budget,
// the stock name, the code, and the weekly balance rows, whose cells write their text in
// <SMALL>. The old page shows no market name.
#pragma once

#include <cstdint>
#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "margin/credit_table.h"

namespace karigane {

// The old table page's text for a window without margin data.
inline constexpr const char* kOldTableNoDataText = "信用残データはありません";

// As extract_creditinf_from_yahoohtml_new_sub, with the old page's markers; a page for
// another period fails with "信用売買残の情報はありませんでした".
void extract_creditinf_from_yahoohtml_old_sub(run_context& ctx, const std::string& page,
                                              const kikan_row& window,
                                              std::int16_t& error_loop_no_s,
                                              credit_tbl_t& credit_tbl, std::int16_t& error_flag_s,
                                              std::string& error_msg_s);

}  // namespace karigane
