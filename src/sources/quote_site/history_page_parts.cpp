// Shared parts of the history-page extractors: see history_page_parts.h.
#include "sources/quote_site/history_page_parts.h"

#include "core/cp932.h"
#include "core/stock_code.h"
#include "sources/quote_site/quote_addresses.h"

namespace karigane {

namespace {

constexpr const char* kNoPriceInformation = "株価情報はありませんでした";

std::string date_part(u32v text) { return zero_pad_below_10(to_utf8(text)); }

}  // namespace

page_reading refused_price_page(page_verdict verdict) {
  return refused_page(verdict, kNoPriceInformation);
}

std::string page_program_code(u32v site_code_text) {
  return program_code_from_site(trim(to_utf8(site_code_text)));
}

bool code_before_dot(u32v page, std::size_t from, u32v code_marker, std::string& page_code,
                     std::size_t* code_start) {
  const std::size_t at = instr(page, code_marker, std::max<std::size_t>(from, 1));
  if (at == 0) return false;
  const std::size_t start = at + code_marker.size();
  const std::size_t dot = instr(page, U".", start);
  if (dot == 0) return false;
  if (code_start) *code_start = start;
  page_code = page_program_code(between(page, start, dot));
  return true;
}

bool is_index_code(const std::string& code) { return compare_codes(code, "1004") <= 0; }

std::string index_page_code(u32v page, const std::string& code, std::size_t* position) {
  const std::size_t at = instr(page, to_u32("value=" + history_site_code(code)));
  if (position) *position = at;
  return at != 0 ? code : "not " + code;
}

void set_price_page_header(jikeiretu_data_t& prices, bunkatu_list_t& splits,
                           const std::string& page_code, const std::string& market,
                           const std::string& name) {
  prices[0][kPriceCode] = page_code;
  splits[0][kSplitCode] = page_code;
  if (page_code == "1001" || page_code == "1002" || page_code == "1003" || page_code == "1004") {
    prices[0][kPriceMarket].clear();
  } else if (!market.empty()) {
    prices[0][kPriceMarket] = market;
  }
  prices[0][kPriceName] = name;
  splits[0][kSplitName] = name;
}

body_cut cut_price_table_body(u32v page, u32v& body) {
  const std::size_t head = instr(page, U">終値<");
  if (head == 0) return body_cut::b41;
  const std::size_t first_row = instr(page, U"<TR", head);
  u32v rest = first_row == 0 ? u32v() : page.substr(first_row - 1);
  const std::size_t tbody_end = instr(rest, U"</TBODY");
  if (tbody_end == 0) return body_cut::b51;
  const std::size_t last_row_end = instr_rev(rest, U"</TR", tbody_end);
  if (last_row_end == 0) return body_cut::b52;
  body = rest.substr(0, std::min(rest.size(), last_row_end + 4));
  return body_cut::ok;
}

const char* body_cut_message(body_cut cut) {
  switch (cut) {
    case body_cut::b41: return "error b41:前方データ削除ができませんでした。";
    case body_cut::b51: return "error b51:後方データ削除ができませんでした。";
    case body_cut::b52: return "error b52:後方データ削除ができませんでした。";
    case body_cut::ok: break;
  }
  return "";
}

std::string kanji_date_text(u32v cell) {
  const std::size_t y = instr(cell, U"年");
  const std::size_t m = instr(cell, U"月", y + 1);
  const std::size_t d = instr(cell, U"日", m + 1);
  const std::string year = to_utf8(between(cell, 1, y));
  return year + date_part(between(cell, y + 1, m)) + date_part(between(cell, m + 1, d));
}

std::string slash_date_text(u32v cell) {
  const std::size_t a = instr(cell, U"/");
  const std::size_t b = instr(cell, U"/", a + 1);
  const std::string year = to_utf8(between(cell, 1, a));
  return year + date_part(between(cell, a + 1, b)) + date_part(between(cell, b + 1, cell.size() + 1));
}

namespace {

// The next cell of a row: from the next "<TD" the text after its ">" up to "</TD". False when
// no "<TD" follows `from`; `from` moves to the cell's "</TD".
bool next_cell(u32v row, std::size_t& from, u32v& cell) {
  const std::size_t td = instr(row, U"<TD", from);
  if (td == 0) return false;
  std::size_t gt = instr(row, U">", td);
  if (gt == 0) gt = row.size();
  std::size_t end = instr(row, U"</TD", gt + 1);
  if (end == 0) end = row.size() + 1;
  cell = between(row, gt + 1, end);
  from = end;
  return true;
}

void read_price_row(u32v row, price_date_form form, jikeiretu_row& out) {
  std::size_t from = 1;
  u32v cell;
  for (std::size_t c = 0; c < 7; ++c) {
    if (!next_cell(row, from, cell)) break;
    if (c == 0) {
      out[0] = form == price_date_form::kanji ? kanji_date_text(cell) : slash_date_text(cell);
    } else {
      out[c] = remove_all(to_utf8(cell), ",");
    }
  }
}

void read_split_row(u32v row, bunkatu_row& out) {
  std::size_t from = 1;
  u32v cell;
  if (!next_cell(row, from, cell)) return;
  out[0] = kanji_date_text(cell);
  if (!next_cell(row, from, cell)) return;
  const std::size_t label = instr(cell, U"分割:");
  if (label == 0) return;
  const std::size_t a_end = instr(cell, U"株", label + 3);
  out[1] = to_utf8(trim(between(cell, label + 3, a_end == 0 ? cell.size() + 1 : a_end)));
  if (a_end == 0) return;
  const std::size_t semicolon = instr(cell, U";", a_end);
  if (semicolon == 0) return;
  const std::size_t b_end = instr(cell, U"株", semicolon + 1);
  out[2] = to_utf8(trim(between(cell, semicolon + 1, b_end == 0 ? cell.size() + 1 : b_end)));
}

}  // namespace

void read_price_rows(run_context& ctx, u32v body, price_date_form form, jikeiretu_data_t& prices,
                     bunkatu_list_t& splits) {
  std::size_t n = std::min(price_count(prices), prices.size() - 1);
  std::size_t m = std::min(split_count(splits), splits.size() - 1);
  prices.resize(n + 1);
  splits.resize(m + 1);
  while (instr(body, U"<TR") != 0) {
    ctx.pump();
    const std::size_t end = instr(body, U"</TR");
    const std::size_t length = std::min(body.size(), end + 4);
    const u32v row = body.substr(0, length);
    body.remove_prefix(length);
    if (contains(row, U"分割")) {
      read_split_row(row, splits.emplace_back());
      ++m;
    } else {
      read_price_row(row, form, prices.emplace_back());
      ++n;
    }
  }
  prices[0][kPriceCount] = num_text(static_cast<std::int64_t>(n));
  if (n > 0) {
    prices[0][kPriceOldest] = prices[n][0];
    prices[0][kPriceNewest] = prices[1][0];
  }
  splits[0][kSplitCount] = num_text(static_cast<std::int64_t>(m));
}

}  // namespace karigane
