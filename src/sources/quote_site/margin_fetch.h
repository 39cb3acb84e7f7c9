// One stock's margin page for one collection window, in the page form of the settings
// ("新" margin history page, "旧" old table page, "Ｍ" mobile page), fetched again while the
// page's checks refuse it and the retry budget lasts (at most five fetches).
#pragma once

#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "core/status.h"
#include "sources/quote_site/quote_site_settings.h"
#include "margin/credit_table.h"

namespace karigane {

// The message of a window in the "Ｍ" form: its page is fetched once, but there is nothing
// that reads it.
inline constexpr const char* kMobileMarginUnreadable =
    "信用売買残のモバイルページ（Ｍ）は読み取れません。時系列信用売買残取得サイトに「新」か「旧」を指定してください。";

// The address of the margin page of a code and window in the form `shinyou_site`; empty for a
// form the margin download does not know. `market_suffix` follows the site code and "." on
// the mobile page.
std::string margin_page_url(const quote_site_settings& site, const std::string& code,
                            const std::string& market_suffix, const kikan_row& window);

// The window's weeks are appended to `credit_tbl`. The outcome of the last page read, or of a
// retrieval that failed.
status fetch_margin_window(run_context& ctx, const quote_site_settings& site,
                           const kikan_row& window, const std::string& code,
                           const std::string& market_suffix, credit_tbl_t& credit_tbl);

}  // namespace karigane
