// Cell conversions of the statement pages: see statement_cells.h.
#include "sources/quote_site/statement_cells.h"

namespace karigane {
namespace {

constexpr char32_t kEmptyPeriodMark[] = U"‐";  // U+2010, the site's mark of a missing period

bool is_dated(u32v cell) { return contains(cell, U"月") && !contains(cell, kEmptyPeriodMark); }

u32 padded(u32v part) { return to_u32(zero_pad_below_10(to_utf8(part))); }

// The text before the first `unit`, or the whole text when it holds none.
u32v before(u32v text, u32v unit) {
  const std::size_t at = instr(text, unit);
  return at == 0 ? text : text.substr(0, at - 1);
}

}  // namespace

u32 fiscal_period_cell(u32v cell) {
  if (!is_dated(cell)) return U"---";
  const std::size_t month_end = instr(cell, U"月");
  // The month starts at character 6 (after "YYYY年"); a shorter year cannot be read.
  if (month_end < 6) return u32(cell);
  return mid(cell, 1, 4) + padded(cell.substr(5, month_end - 6)) + U"00";
}

u32 announcement_date_cell(u32v cell) {
  if (!is_dated(cell)) return U"---";
  const std::size_t month_end = instr(cell, U"月");
  const std::size_t day_end = instr(cell, U"日", month_end + 1);
  if (month_end < 6 || day_end == 0) return u32(cell);
  return mid(cell, 1, 4) + padded(cell.substr(5, month_end - 6)) +
         padded(cell.substr(month_end, day_end - month_end - 1));
}

u32 months_cell(u32v cell) {
  const std::size_t at = instr(cell, U"か月");
  return at == 0 ? u32(cell) : u32(cell.substr(0, at - 1));
}

u32 amount_cell(u32v cell) {
  return remove_all(before(before(cell, U"円"), U"百万"), U",");
}

u32 share_count_cell(u32v cell) {
  return remove_all(before(before(cell, U"株"), U"千"), U",");
}

u32 percent_cell(u32v cell) { return u32(before(cell, U"%")); }

u32 convert_cell(u32v cell, cell_conversion conversion) {
  switch (conversion) {
    case cell_conversion::fiscal_period: return fiscal_period_cell(cell);
    case cell_conversion::announcement_date: return announcement_date_cell(cell);
    case cell_conversion::months: return months_cell(cell);
    case cell_conversion::amount: return amount_cell(cell);
    case cell_conversion::share_count: return share_count_cell(cell);
    case cell_conversion::percent: return percent_cell(cell);
    case cell_conversion::as_shown: break;
  }
  return u32(cell);
}

}  // namespace karigane
