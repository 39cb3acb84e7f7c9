// Shared parts of the margin-page extractors: see margin_page_parts.h.
#include "sources/quote_site/margin_page_parts.h"

#include <algorithm>

#include "core/cp932.h"
#include "core/text.h"

namespace karigane {
namespace {

bool is_index_program_code(const std::string& code) {
  return code == "1001" || code == "1002" || code == "1003" || code == "1004";
}

// The text of a cell of the old table, which writes every figure in <SMALL>.
std::string_view small_text(std::string_view cell) {
  const std::size_t open = find_at(cell, "<SMALL>");
  if (open == 0) return cell;
  const std::size_t from = open + 7;
  const std::size_t close = find_at(cell, "</SMALL>", from);
  return slice(cell, from, close == 0 ? cell.size() + 1 : close);
}

void read_margin_row(std::string_view row, cell_form form, credit_row& out) {
  std::size_t s = 1;
  for (int cell = 1; cell <= 6; ++cell) {
    const std::size_t td = find_at(row, "<TD", s);
    if (td == 0) return;
    const std::size_t gt = find_at(row, ">", td + 1);
    if (gt == 0) return;
    std::size_t e = find_at(row, "</TD", gt + 1);
    if (e == 0) e = row.size() + 1;
    std::string_view text = slice(row, gt + 1, e);
    if (form == cell_form::small) text = small_text(text);
    if (cell == 1) {
      out[kCreditDate] = kanji_date_text(text);
    } else if (cell == 2 || cell == 3 || cell == 6) {
      out[cell == 6 ? 3 : static_cast<std::size_t>(cell - 1)] = remove_all(text, ",");
    }
    const std::size_t next = find_at(row, ">", e);
    if (next == 0) return;
    s = next;
  }
}

}  // namespace

page_reading refused_margin_page(run_context& ctx, page_verdict verdict, const char* message) {
  ctx.pump();
  return refused_page(verdict, message);
}

name_result read_stock_name(const page_markers& page, std::size_t first_marker,
                            std::size_t second_marker, std::string& name) {
  std::size_t p = page.find(first_marker);
  if (p == 0) return name_result::no_first_marker;
  p = page.find(second_marker, p);
  if (p == 0) return name_result::no_second_marker;
  const std::string_view text = page.page();
  const std::size_t gt = find_at(text, ">", p);
  const std::size_t lt = gt == 0 ? 0 : find_at(text, "<", gt);
  const std::string_view name_text =
      gt == 0 ? std::string_view() : slice(text, gt + 1, lt == 0 ? text.size() + 1 : lt);
  name = clean_stock_name(trim(name_text));
  return name_result::ok;
}

// The rows are cut as the price rows are (take_row): the body ends with a row's "</TR", so a
// row without one is never reached.
void read_margin_rows(run_context& ctx, std::string_view body, cell_form form,
                      credit_tbl_t& credit_tbl) {
  std::size_t n = std::min(credit_count(credit_tbl), credit_tbl.size() - 1);
  credit_tbl.resize(n + 1);
  while (body.find("<TR") != std::string_view::npos) {
    ctx.pump();
    read_margin_row(take_row(body), form, credit_tbl.emplace_back());
    ++n;
  }
  credit_tbl[0][kCreditCount] = num_text(static_cast<std::int64_t>(n));
}

bool set_margin_page_header(credit_tbl_t& credit_tbl, const std::string& page_code,
                            const std::string& market, const std::string& name) {
  credit_tbl[0][kCreditCode] = page_code;
  if (is_index_program_code(page_code)) {
    credit_tbl[0][kCreditCount].assign(1, '0');
    credit_tbl[0][kCreditMarket].clear();
    return false;
  }
  credit_tbl[0][kCreditMarket] = market;
  credit_tbl[0][kCreditName] = name;
  return true;
}

}  // namespace karigane
