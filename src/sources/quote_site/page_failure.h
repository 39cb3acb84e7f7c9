// Which page outcomes count in a run's failure tally. A page counts when its retrieval failed
// or its verification budget ran out, or when it was verified but lacked its names, code or
// table (the messages "error b11" to "error b52"). A page saying that there is no data
// ("error b01" and "error b02" of every kind) is no failure, and a page cut short by a stop or
// a run-ending fault is not counted either.
#pragma once

#include <string>

#include "core/run_context.h"
#include "core/status.h"

namespace karigane {

bool page_failed(const run_context& ctx, const status& page);

// Adds the page to the tally when page_failed(); `where` is the window ("2013/01/01～
// 2013/02/19") or the page, the reason the page's message.
void note_page_outcome(run_context& ctx, const std::string& code, const std::string& kind,
                       const std::string& where, const status& page);

}  // namespace karigane
