// The period of a history page: see page_period.h.
#include "sources/quote_site/page_period.h"

namespace karigane {
namespace {

std::string chosen_option(u32v page, u32v marker, u32v selected_marker, std::size_t& pos) {
  if (pos == 0) return {};
  const std::size_t at = instr(page, marker, pos);
  const std::size_t selected = at == 0 ? 0 : instr(page, selected_marker, at);
  const std::size_t gt = selected == 0 ? 0 : instr(page, U">", selected);
  const std::size_t lt = gt == 0 ? 0 : instr(page, U"<", gt);
  if (lt == 0) {
    pos = 0;
    return {};
  }
  pos = lt;
  return to_utf8(trim(page.substr(gt, lt - gt - 1)));
}

}  // namespace

bool page_shows_window(u32v page, const std::array<u32v, 6>& markers, u32v selected_marker,
                       const kikan_row& window) {
  std::size_t pos = 1;
  std::string parts[6];
  for (std::size_t i = 0; i < 6; ++i) {
    parts[i] = chosen_option(page, markers[i], selected_marker, pos);
    if (i % 3 != 0) parts[i] = zero_pad_below_10(parts[i]);
  }
  return slash_text(window.start) == parts[0] + "/" + parts[1] + "/" + parts[2] &&
         slash_text(window.end) == parts[3] + "/" + parts[4] + "/" + parts[5];
}

}  // namespace karigane
