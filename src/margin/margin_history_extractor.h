// Extraction of one margin history page (the "新" form): page checks with the retry budget,
// stock and market names, the code, and the weekly balance rows.
#pragma once

#include <cstdint>
#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "margin/credit_table.h"

namespace karigane {

// Checks (while the retry budget is above 0) that `page` shows the requested stock (header
// field 1 of `credit_tbl`) and the window; lowers error_loop_no_s when it does not (flag -1,
// "信用売買残情報はありませんでした"), sets it to 0 when it does, and then appends the page's
// rows (or reports b01..b52 with flag 0 and no rows). Index pages give no rows.
void extract_creditinf_from_yahoohtml_new_sub(run_context& ctx, const std::string& page,
                                              const kikan_row& window,
                                              std::int16_t& error_loop_no_s,
                                              credit_tbl_t& credit_tbl, std::int16_t& error_flag_s,
                                              std::string& error_msg_s);

}  // namespace karigane
