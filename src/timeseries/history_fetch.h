// One stock's history page for one collection window, in the page form of the settings
// ("新" history page or "Ｍ" mobile page), fetched again while the extractor's retry budget
// lasts (at most five fetches).
#pragma once

#include <cstdint>
#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "timeseries/price_table.h"

namespace karigane {

// True for the page forms the time-series download knows: "新" and "Ｍ".
bool known_history_page_form(const std::string& jikeiretu_site);

// The query of the history page ("新") or of the mobile page ("Ｍ") for a code and window;
// empty for any other form.
std::string history_page_query(const std::string& form, const std::string& code,
                               const std::string& market_code, const kikan_row& window);

void dl_yh_data_m_db_sub(run_context& ctx, const kikan_row& window, const std::string& code,
                         const std::string& market_code, jikeiretu_data_t& prices,
                         bunkatu_list_t& splits, std::int16_t& error_flag_s,
                         std::string& error_msg_s);

}  // namespace karigane
