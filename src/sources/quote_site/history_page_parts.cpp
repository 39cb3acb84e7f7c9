// Shared parts of the history-page extractors: see history_page_parts.h.
#include "sources/quote_site/history_page_parts.h"

#include <algorithm>

#include "core/cp932.h"
#include "core/stock_code.h"
#include "core/text.h"
#include "sources/quote_site/quote_addresses.h"

namespace karigane {

namespace {

constexpr const char* kNoPriceInformation = "株価情報はありませんでした";

std::string date_part(std::string_view text) { return zero_pad_below_10(text); }

// Where a search goes on after a text found at `at`: just after it, or from the start when it
// was not found.
std::size_t after(std::size_t at, std::string_view found) {
  return at == 0 ? 1 : at + found.size();
}

}  // namespace

page_reading refused_price_page(page_verdict verdict) {
  return refused_page(verdict, kNoPriceInformation);
}

std::string page_program_code(std::string_view site_code_text) {
  return program_code_from_site(trim(site_code_text));
}

bool code_before_dot(const page_markers& page, std::size_t code_marker, std::size_t from,
                     std::string& page_code, std::size_t* code_start) {
  const std::size_t at = page.find(code_marker, std::max<std::size_t>(from, 1));
  if (at == 0) return false;
  const std::size_t start = at + page.size_of(code_marker);
  const std::size_t dot = find_at(page.page(), ".", start);
  if (dot == 0) return false;
  if (code_start) *code_start = start;
  page_code = page_program_code(slice(page.page(), start, dot));
  return true;
}

bool is_index_code(const std::string& code) { return compare_codes(code, "1004") <= 0; }

std::string index_code_marker(const std::string& code) {
  return "value=" + history_site_code(code);
}

std::string index_page_code(const page_markers& page, std::size_t index_marker,
                            const std::string& code, std::size_t* position) {
  const std::size_t at = page.find(index_marker);
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

page_reading read_table(const page_markers& page, std::size_t head_marker,
                        std::size_t table_end_marker,
                        const std::function<void(std::string_view body)>& read_rows) {
  const std::size_t head = page.find(head_marker);
  if (head == 0) return accepted_page("error b41:前方データ削除ができませんでした。");
  const std::size_t first_row = find_at(page.page(), "<TR", head);
  const std::size_t table_end = first_row == 0 ? 0 : page.find(table_end_marker, first_row);
  if (table_end == 0) return accepted_page("error b51:後方データ削除ができませんでした。");
  const std::string_view rest = page.page().substr(first_row - 1);
  const std::size_t last_row_end = find_back(rest, "</TR", table_end - first_row + 1);
  if (last_row_end == 0) return accepted_page("error b52:後方データ削除ができませんでした。");
  read_rows(slice(rest, 1, after_char(rest, last_row_end + 4)));
  return accepted_page();
}

std::string_view take_row(std::string_view& body) {
  const std::size_t end = find_at(body, "</TR");
  const std::size_t stop = end == 0 ? first_chars(body, 1, 4).size() + 1
                                    : after_char(body, end + 4);
  const std::string_view row = slice(body, 1, stop);
  body.remove_prefix(row.size());
  return row;
}

std::string kanji_date_text(std::string_view cell) {
  const std::size_t y = find_at(cell, "年");
  const std::size_t m = find_at(cell, "月", after(y, "年"));
  const std::size_t d = find_at(cell, "日", after(m, "月"));
  return std::string(slice(cell, 1, y)) + date_part(slice(cell, after(y, "年"), m)) +
         date_part(slice(cell, after(m, "月"), d));
}

std::string slash_date_text(std::string_view cell) {
  const std::size_t a = find_at(cell, "/");
  const std::size_t b = find_at(cell, "/", a + 1);
  return std::string(slice(cell, 1, a)) + date_part(slice(cell, a + 1, b)) +
         date_part(slice(cell, b + 1, cell.size() + 1));
}

namespace {

// The next cell of a row: from the next "<TD" the text after its ">" up to "</TD". False when
// no "<TD" follows `from`; `from` moves to the cell's "</TD".
bool next_cell(std::string_view row, std::size_t& from, std::string_view& cell) {
  const std::size_t td = find_at(row, "<TD", from);
  if (td == 0) return false;
  std::size_t gt = find_at(row, ">", td);
  if (gt == 0) gt = row.size();
  std::size_t end = find_at(row, "</TD", gt + 1);
  if (end == 0) end = row.size() + 1;
  cell = slice(row, gt + 1, end);
  from = end;
  return true;
}

void read_price_row(std::string_view row, price_date_form form, jikeiretu_row& out) {
  std::size_t from = 1;
  std::string_view cell;
  for (std::size_t c = 0; c < 7; ++c) {
    if (!next_cell(row, from, cell)) break;
    if (c == 0) {
      out[0] = form == price_date_form::kanji ? kanji_date_text(cell) : slash_date_text(cell);
    } else {
      out[c] = remove_all(cell, ",");
    }
  }
}

void read_split_row(std::string_view row, bunkatu_row& out) {
  std::size_t from = 1;
  std::string_view cell;
  if (!next_cell(row, from, cell)) return;
  out[0] = kanji_date_text(cell);
  if (!next_cell(row, from, cell)) return;
  constexpr std::string_view kLabel = "分割:";
  const std::size_t label = find_at(cell, kLabel);
  if (label == 0) return;
  const std::size_t count_from = label + kLabel.size();
  const std::size_t a_end = find_at(cell, "株", count_from);
  out[1] = trim(slice(cell, count_from, a_end == 0 ? cell.size() + 1 : a_end));
  if (a_end == 0) return;
  const std::size_t semicolon = find_at(cell, ";", a_end);
  if (semicolon == 0) return;
  const std::size_t b_end = find_at(cell, "株", semicolon + 1);
  out[2] = trim(slice(cell, semicolon + 1, b_end == 0 ? cell.size() + 1 : b_end));
}

}  // namespace

void read_price_rows(run_context& ctx, std::string_view body, price_date_form form,
                     jikeiretu_data_t& prices, bunkatu_list_t& splits) {
  std::size_t n = std::min(price_count(prices), prices.size() - 1);
  std::size_t m = std::min(split_count(splits), splits.size() - 1);
  prices.resize(n + 1);
  splits.resize(m + 1);
  while (body.find("<TR") != std::string_view::npos) {
    ctx.pump();
    const std::string_view row = take_row(body);
    if (row.find("分割") != std::string_view::npos) {
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
