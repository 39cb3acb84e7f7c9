// Shared parts of the margin-page extractors: see margin_page_parts.h.
#include "sources/quote_site/margin_page_parts.h"

#include <algorithm>

#include "core/cp932.h"

namespace karigane {
namespace {

bool is_index_program_code(const std::string& code) {
  return code == "1001" || code == "1002" || code == "1003" || code == "1004";
}

// The text of a cell of the old table, which writes every figure in <SMALL>.
u32v small_text(u32v cell) {
  const std::size_t open = instr(cell, U"<SMALL>");
  if (open == 0) return cell;
  const std::size_t from = open + 7;
  const std::size_t close = instr(cell, U"</SMALL>", from);
  return between(cell, from, close == 0 ? cell.size() + 1 : close);
}

void read_margin_row(u32v row, cell_form form, credit_row& out) {
  std::size_t s = 1;
  for (int cell = 1; cell <= 6; ++cell) {
    const std::size_t td = instr(row, U"<TD", s);
    if (td == 0) return;
    const std::size_t gt = instr(row, U">", td + 1);
    if (gt == 0) return;
    std::size_t e = instr(row, U"</TD", gt + 1);
    if (e == 0) e = row.size() + 1;
    u32v text = between(row, gt + 1, e);
    if (form == cell_form::small) text = small_text(text);
    if (cell == 1) {
      out[kCreditDate] = kanji_date_text(text);
    } else if (cell == 2 || cell == 3 || cell == 6) {
      out[cell == 6 ? 3 : static_cast<std::size_t>(cell - 1)] = remove_all(to_utf8(text), ",");
    }
    const std::size_t next = instr(row, U">", e);
    if (next == 0) return;
    s = next;
  }
}

}  // namespace

page_reading refused_margin_page(run_context& ctx, page_verdict verdict, const char* message) {
  ctx.pump();
  return refused_page(verdict, message);
}

name_result read_stock_name(u32v page, u32v first_marker, u32v second_marker, std::string& name) {
  std::size_t p = instr(page, first_marker);
  if (p == 0) return name_result::no_first_marker;
  p = instr(page, second_marker, p);
  if (p == 0) return name_result::no_second_marker;
  const std::size_t gt = instr(page, U">", p);
  const std::size_t lt = gt == 0 ? 0 : instr(page, U"<", gt);
  const u32v text = gt == 0 ? u32v() : between(page, gt + 1, lt == 0 ? page.size() + 1 : lt);
  name = clean_stock_name(to_utf8(trim(text)));
  return name_result::ok;
}

body_cut cut_margin_table_body(u32v page, u32v& body) {
  const std::size_t head = instr(page, U">信用倍率<");
  if (head == 0) return body_cut::b41;
  const std::size_t first_row = instr(page, U"<TR", head);
  const u32v rest = first_row == 0 ? u32v() : page.substr(first_row - 1);
  const std::size_t tbody_end = instr(rest, U"</TBODY");
  if (tbody_end == 0) return body_cut::b51;
  const std::size_t last_row_end = instr_rev(rest, U"</TR", tbody_end);
  if (last_row_end == 0) return body_cut::b52;
  body = rest.substr(0, std::min(rest.size(), last_row_end + 4));
  return body_cut::ok;
}

void read_margin_rows(run_context& ctx, u32v body, cell_form form, credit_tbl_t& credit_tbl) {
  std::size_t n = std::min(credit_count(credit_tbl), credit_tbl.size() - 1);
  credit_tbl.resize(n + 1);
  while (instr(body, U"<TR") != 0) {
    ctx.pump();
    const std::size_t end = instr(body, U"</TR");
    const std::size_t length = end == 0 ? body.size() : std::min(body.size(), end + 4);
    const u32v row = body.substr(0, length);
    body.remove_prefix(length);
    read_margin_row(row, form, credit_tbl.emplace_back());
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
