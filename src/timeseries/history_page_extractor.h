// Extraction of one daily-price history page of the "新" form: page checks with the retry
// budget, stock and market names, price and split rows.
#pragma once

#include <cstdint>
#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "timeseries/price_table.h"

namespace karigane {

// Checks that `page` shows the requested stock (header field 1 of `prices`) and the window;
// lowers error_loop_no_s when it does not (flag -1, "株価情報はありませんでした"), sets it to 0
// when it does, and then appends the page's rows to both tables (or reports b01..b52 with
// flag 0 and no rows).
void extract_kabuinf_from_yahoohtml_new_sub(run_context& ctx, const std::string& page,
                                            const kikan_row& window,
                                            std::int16_t& error_loop_no_s,
                                            jikeiretu_data_t& prices, bunkatu_list_t& splits,
                                            std::int16_t& error_flag_s, std::string& error_msg_s);

}  // namespace karigane
