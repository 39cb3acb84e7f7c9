// Extraction of one daily-price history page of the mobile form ("Ｍ"): the same protocol and
// tables as the "新" form, with the mobile page's markers and slash-written dates.
#pragma once

#include <cstdint>
#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "timeseries/price_table.h"

namespace karigane {

void extract_kabuinf_from_yahoohtml_mobile_sub(run_context& ctx, const std::string& page,
                                               const kikan_row& window,
                                               std::int16_t& error_loop_no_s,
                                               jikeiretu_data_t& prices, bunkatu_list_t& splits,
                                               std::int16_t& error_flag_s,
                                               std::string& error_msg_s);

}  // namespace karigane
