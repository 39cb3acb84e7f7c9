// The period of a history page: see page_period.h.
#include "sources/quote_site/page_period.h"

#include "core/text.h"

namespace karigane {
namespace {

std::string chosen_option(const page_markers& page, std::size_t marker, std::size_t selected_marker,
                          std::size_t& pos) {
  if (pos == 0) return {};
  const std::string_view text = page.page();
  const std::size_t at = page.find(marker, pos);
  const std::size_t selected = at == 0 ? 0 : page.find(selected_marker, at);
  const std::size_t gt = selected == 0 ? 0 : find_at(text, ">", selected);
  const std::size_t lt = gt == 0 ? 0 : find_at(text, "<", gt);
  if (lt == 0) {
    pos = 0;
    return {};
  }
  pos = lt;
  return trim(slice(text, gt + 1, lt));
}

}  // namespace

bool page_shows_window(const page_markers& page, const period_markers& markers,
                       const kikan_row& window) {
  std::size_t pos = 1;
  std::string parts[6];
  for (std::size_t i = 0; i < 6; ++i) {
    parts[i] = chosen_option(page, markers.selects[i], markers.selected, pos);
    if (i % 3 != 0) parts[i] = zero_pad_below_10(parts[i]);
  }
  return slash_text(window.start) == parts[0] + "/" + parts[1] + "/" + parts[2] &&
         slash_text(window.end) == parts[3] + "/" + parts[4] + "/" + parts[5];
}

}  // namespace karigane
