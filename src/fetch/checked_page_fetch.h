// The fetch loop of every page that is checked before it is read: the page is loaded, handed
// to its extractor together with the retry budget, and loaded again while the extractor leaves
// the budget at 1 or more (a page of another stock or period, or no page at all). A failed
// retrieval ends the loop at once with flag -1 and the retrieval's message; page retrieval
// does its own repeats.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/run_context.h"

namespace karigane {

// `extract(page, error_loop_no_s)` reads one page and sets the caller's result pair itself.
using checked_page_extractor = std::function<void(const std::string& page, std::int16_t& error_loop_no_s)>;

// Returns false when a retrieval failed (error_flag_s -1, error_msg_s its message).
bool fetch_while_budget_lasts(run_context& ctx, const std::string& url, std::int16_t budget,
                              const checked_page_extractor& extract, std::int16_t& error_flag_s,
                              std::string& error_msg_s);

}  // namespace karigane
