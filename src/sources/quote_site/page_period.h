// The period a history page's selects show. Six chosen options are read one after another
// (start year, month, day, end year, month, day), each found as: its marker, then the text
// that marks the chosen option ("selected value=" or "selected>"), then the next ">" and the
// trimmed text up to "<". Month and day get a leading "0" below 10. A missing marker leaves
// that text and every later one empty, so the page does not pass.
#pragma once

#include <array>
#include <cstddef>

#include "core/kikan_list.h"
#include "sources/quote_site/page_markers.h"

namespace karigane {

// The reader's markers (indexes into its page_markers) of the six selects and of the chosen
// option.
struct period_markers {
  std::array<std::size_t, 6> selects;
  std::size_t selected;
};

// True when the page's period, written yyyy/mm/dd, is the window's start and end.
bool page_shows_window(const page_markers& page, const period_markers& markers,
                       const kikan_row& window);

}  // namespace karigane
