// The period a history page's selects show. Six chosen options are read one after another
// (start year, month, day, end year, month, day), each found as: its marker, then the text
// that marks the chosen option ("selected value=" or "selected>"), then the next ">" and the
// trimmed text up to "<". Month and day get a leading "0" below 10. A missing marker leaves
// that text and every later one empty, so the page does not pass.
#pragma once

#include <array>

#include "core/kikan_list.h"
#include "core/text.h"

namespace karigane {

// True when the page's period, written yyyy/mm/dd, is the window's start and end.
bool page_shows_window(u32v page, const std::array<u32v, 6>& markers, u32v selected_marker,
                       const kikan_row& window);

}  // namespace karigane
