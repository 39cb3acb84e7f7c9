// One stock's history page for one collection window, in the page form of the settings
// ("新" history page or "Ｍ" mobile page), fetched again while the page's checks refuse it and
// the retry budget lasts (at most five fetches).
#pragma once

#include <string>

#include "core/kikan_list.h"
#include "core/run_context.h"
#include "core/status.h"
#include "sources/quote_site/quote_site_settings.h"
#include "timeseries/price_table.h"

namespace karigane {

// True for the page forms the time-series download knows: "新" and "Ｍ".
bool known_history_page_form(const std::string& form);

// The query of the history page ("新") or of the mobile page ("Ｍ") for a code and window;
// empty for any other form.
std::string history_page_query(const std::string& form, const std::string& code,
                               const std::string& market_code, const kikan_row& window);

// The window's rows are appended to `rows`. The outcome of the last page read, or of a
// retrieval that failed; failed for a page form without pages.
status fetch_history_window(run_context& ctx, const quote_site_settings& site,
                            const kikan_row& window, const std::string& code,
                            const std::string& market_code, price_rows& rows);

}  // namespace karigane
