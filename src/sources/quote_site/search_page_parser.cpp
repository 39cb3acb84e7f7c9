// Search-result parsing: see search_page_parser.h. Plain text search on the page as page
// retrieval hands it over; every field that a missing marker leaves unread stays as it was.
#include "sources/quote_site/search_page_parser.h"

#include "sources/quote_site/quote_addresses.h"
#include "core/cp932.h"
#include "core/text.h"

namespace karigane {
namespace {

constexpr char32_t kNoMatch[] = U"該当する銘柄は見つかりません";

// The table's rows after its header, without the table's last row.
u32v cut_to_table(u32v page, std::size_t header_at) {
  const std::size_t first = instr(page, U"<TR", header_at);
  if (first == 0) return {};
  const u32v rest = page.substr(first - 1);
  const std::size_t table_end = instr(rest, U"</TABLE");
  if (table_end == 0) return {};
  const std::size_t last_row = instr_rev(rest, U"<TR", table_end);
  if (last_row == 0) return {};
  return rest.substr(0, last_row - 1);
}

// The row of a stock: from the last "<TR" at or before ">CODE<" to the end of the next "</TR>".
bool find_row(u32v table, const std::string& site_code, u32v& row) {
  const u32 marker = U">" + to_u32(site_code) + U"<";
  const std::size_t p = instr(table, marker);
  if (p == 0) return false;
  const std::size_t start = instr_rev(table, U"<TR", p);
  if (start == 0) return false;
  const std::size_t end = instr(table, U"</TR>", p);
  const std::size_t stop = end == 0 ? table.size() : end + 4;
  row = table.substr(start - 1, stop - start + 1);
  return true;
}

// Text between 1-based positions, exclusive at both ends, trimmed; empty when out of range.
std::string inner(u32v row, std::size_t after, std::size_t before) {
  if (after == 0 || before == 0 || before <= after + 1) return {};
  return to_utf8(trim(row.substr(after, before - after - 1)));
}

// The n-th "<TD" of a row, counted the way the page layout is read: the first, then further
// ones each searched from 4 characters after the previous (3 characters for the later steps).
std::size_t nth_cell(u32v row, int n) {
  std::size_t p = instr(row, U"<TD");
  for (int i = 2; i <= n && p != 0; ++i) p = instr(row, U"<TD", p + (i <= 4 ? 4 : 3));
  return p;
}

std::string stock_name(u32v row) {
  std::size_t p = instr(row, U"class=ico");
  if (p == 0) return {};
  p = instr(row, U">", p + 4);
  if (p == 0) return {};
  return clean_stock_name(inner(row, p, instr(row, U"</", p)));
}

std::string last_price(u32v row) {
  std::size_t p = nth_cell(row, 4);
  if (p == 0) return {};
  p = instr(row, U"G>", p + 4);
  if (p == 0) return {};
  return remove_all(inner(row, p + 1, instr(row, U"<", p)), ",");
}

// The text of a cell from its "<TD" at p: after the next ">" (searched from p + 3) up to "<".
std::string cell_text_at(u32v row, std::size_t p) {
  if (p == 0) return {};
  p = instr(row, U">", p + 3);
  if (p == 0) return {};
  return remove_all(inner(row, p, instr(row, U"<", p)), ",");
}

}  // namespace

std::string trade_date_of_cell(const std::string& cell, const date& today) {
  const std::string t = trim(cell);
  const std::string ymd = yyyymmdd(today);
  const std::size_t colon = instr(t, ":");
  if (colon != 0) {
    const std::string hh = zero_pad_one_char(left(t, colon - 1));
    const std::string mm = zero_pad_one_char(mid(t, colon + 1, 2));
    return ymd + "_" + hh + mm;
  }
  const std::size_t slash = instr(t, "/");
  const std::string mo = zero_pad_one_char(left(t, slash == 0 ? 0 : slash - 1));
  const std::string dd = zero_pad_one_char(slash == 0 ? std::string() : mid(t, slash + 1, 2));
  const int year = today.m >= val(mo) ? today.y : today.y - 1;
  return std::to_string(year) + mo + dd;
}

void read_yh_data_d1_sub(run_context& ctx, const std::string& page_text, data_d_table_t& table,
                         std::size_t first, std::size_t last) {
  const u32 page = to_u32(page_text);
  if (contains(page, kNoMatch)) return;
  std::size_t header = instr(page, U">コード<");
  if (header == 0) header = instr(page, U">市場<");
  if (header == 0) return;
  const u32v rows = cut_to_table(page, header);
  const date today = ctx.now().day;
  for (std::size_t k = first; k <= last && k < table.size(); ++k) {
    ctx.pump();
    data_d_record& r = table[k];
    if (char_count(r[kDMarket]) > 1 && char_count(r[kDName]) > 1) continue;
    const std::string site_code = search_site_code(r[kDCode]);
    u32v row;
    if (!find_row(rows, site_code, row)) continue;

    std::size_t p = instr(row, U">" + to_u32(site_code) + U"<");
    p = p == 0 ? 0 : instr(row, U"<TD", p);
    p = p == 0 ? 0 : instr(row, U">", p);
    if (p != 0) r[kDMarket] = inner(row, p, instr(row, U"</", p));

    r[kDName] = stock_name(row);

    p = nth_cell(row, 4);
    p = p == 0 ? 0 : instr(row, U">", p + 4);
    if (p != 0) r[kDTradeDate] = trade_date_of_cell(inner(row, p, instr(row, U"</", p)), today);

    p = nth_cell(row, 4);
    p = p == 0 ? 0 : instr(row, U"G>", p + 4);
    if (p != 0) {
      r[kDClose] = remove_all(inner(row, p + 1, instr(row, U"<", p)), ",");
      r[kDVolume] = cell_text_at(row, instr(row, U"<TD", p + 3));
    }
  }
}

void read_yh_data_d2_sub(run_context& ctx, const std::string& page_text, data_d_table_t& table,
                         std::size_t first, std::size_t last) {
  const u32 page = to_u32(page_text);
  if (contains(page, kNoMatch)) return;
  std::size_t header = instr(page, U"高値");
  if (header == 0) header = instr(page, U"始値");
  if (header == 0) return;
  const u32v rows = cut_to_table(page, header);
  for (std::size_t k = first; k <= last && k < table.size(); ++k) {
    ctx.pump();
    data_d_record& r = table[k];
    if (char_count(r[kDHigh]) > 1 && char_count(r[kDLow]) > 1) continue;
    u32v row;
    if (!find_row(rows, search_site_code(r[kDCode]), row)) continue;
    r[kDName] = stock_name(row);
    r[kDClose] = last_price(row);
    r[kDOpen] = cell_text_at(row, nth_cell(row, 5));
    const std::size_t limit_high = instr(row, U"S高");
    r[kDHigh] = cell_text_at(row, limit_high != 0 ? instr(row, U"greenFin", limit_high)
                                                  : nth_cell(row, 6));
    const std::size_t limit_low = instr(row, U"S安");
    r[kDLow] = cell_text_at(row, limit_low != 0 ? instr(row, U"redFin", limit_low)
                                                : nth_cell(row, 7));
  }
  if (!table.empty()) label_data_d_header(table[0]);
}

}  // namespace karigane
