// The "新" history page: see history_page_extractor.h. Plain text search on the page as page
// retrieval hands it over (upper-case tags, unquoted simple attribute values).
#include "sources/quote_site/history_page_extractor.h"

#include "core/cp932.h"
#include "sources/quote_site/page_period.h"
#include "sources/quote_site/history_page_parts.h"

namespace karigane {
namespace {

constexpr std::array<u32v, 6> kPeriodMarkers{U"id=selYear", U"id=selMonth", U"id=selDay",
                                              U"id=selYear", U"id=selMonth", U"id=selDay"};

}  // namespace

page_reading read_history_page(run_context& ctx, const std::string& page_text, const kikan_row& window,
                                price_rows& rows) {
  jikeiretu_data_t& prices = rows.prices;
  bunkatu_list_t& splits = rows.splits;
  const u32 page = to_u32(page_text);
  const std::string code = prices[0][kPriceCode];

  // The page must show the requested stock and window.
  if (contains(page, U"価格データはありません") || contains(page, U"該当する銘柄はありません")) {
    return refused_price_page(page_verdict::refused_capped);
  }
  std::string page_code;
  if (!is_index_code(code)) {
    if (!code_before_dot(page, instr(page, U"=株価詳細>") + 1, U"code=", page_code)) {
      return refused_price_page(page_verdict::refused_capped);
    }
    if (page_code != code) {
      return refused_price_page(page_verdict::refused);
    }
  }
  if (!page_shows_window(page, kPeriodMarkers, U"selected value=", window)) {
    return refused_price_page(page_verdict::refused);
  }

  // Messages, names and the code.
  if (contains(page, U"該当する期間のデータはありません")) {
    return accepted_page("error b01:該当する期間のデータはありません。");
  }
  std::size_t p = instr(page, U"=株価詳細>");
  if (p == 0) {
    return accepted_page("error b11:銘柄名が取得できませんでした。");
  }
  p = instr(page, U"<H1>", p);
  if (p == 0) {
    return accepted_page("error b12:銘柄名が取得できませんでした。");
  }
  p = instr(page, U">", p);
  std::size_t q = instr(page, U"<", p);
  if (q == 0) q = page.size() + 1;
  const std::string name = clean_stock_name(to_utf8(trim(u32v(page).substr(p, q - p - 1))));

  const std::size_t sb = instr(page, U"yjSb");
  if (sb == 0) {
    return accepted_page("error b21:市場名が取得できませんでした。");
  }
  const std::size_t gt = instr(page, U">", sb);
  const std::size_t lt = gt == 0 ? 0 : instr(page, U"<", gt);
  const std::string market =
      lt == 0 ? std::string() : to_utf8(trim(u32v(page).substr(gt, lt - gt - 1)));

  if (is_index_code(code)) page_code = index_page_code(page, code);
  if (page_code != code) {
    return accepted_page("error b32:コードが取得できませんでした。");
  }
  set_price_page_header(prices, splits, page_code, market, name);

  // The price table.
  u32v body;
  const body_cut cut = cut_price_table_body(page, body);
  if (cut != body_cut::ok) {
    return accepted_page(body_cut_message(cut));
  }
  read_price_rows(ctx, body, price_date_form::kanji, prices, splits);
  return accepted_page();
}

}  // namespace karigane
