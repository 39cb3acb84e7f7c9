// One stock's margin page for one collection window, in the page form of the settings
// ("新" margin history page, "旧" old table page, "Ｍ" mobile page), fetched again while the
// extractor's retry budget lasts (at most five fetches).
#pragma once

#include <cstdint>
#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "margin/credit_table.h"

namespace karigane {

// The message of a window in the "Ｍ" form: its page is fetched once, but there is nothing
// that reads it.
inline constexpr const char* kMobileMarginUnreadable =
    "信用売買残のモバイルページ（Ｍ）は読み取れません。時系列信用売買残取得サイトに「新」か「旧」を指定してください。";

// The address of the margin page of a code and window in the form `shinyou_site`; empty for a
// form the margin download does not know. `market_suffix` follows the site code and "." on
// the mobile page.
std::string margin_page_url(const settei_record& settei, const std::string& code,
                            const std::string& market_suffix, const kikan_row& window);

void dl_yh_data_c_db_sub(run_context& ctx, const kikan_row& window, const std::string& code,
                         const std::string& market_suffix, credit_tbl_t& credit_tbl,
                         std::int16_t& error_flag_s, std::string& error_msg_s);

}  // namespace karigane
