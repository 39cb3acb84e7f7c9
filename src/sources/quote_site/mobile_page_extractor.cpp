// The mobile history page: see mobile_page_extractor.h.
#include "sources/quote_site/mobile_page_extractor.h"

#include "core/cp932.h"
#include "sources/quote_site/page_period.h"
#include "sources/quote_site/history_page_parts.h"

namespace karigane {
namespace {

constexpr std::array<u32v, 6> kPeriodMarkers{U"name=fy> <OPTION", U"name=fm> <OPTION",
                                              U"name=fd> <OPTION", U"name=ty> <OPTION",
                                              U"name=tm> <OPTION", U"name=td> <OPTION"};

}  // namespace

page_reading read_mobile_history_page(run_context& ctx, const std::string& page_text, const kikan_row& window,
                                price_rows& rows) {
  jikeiretu_data_t& prices = rows.prices;
  bunkatu_list_t& splits = rows.splits;
  const u32 page = to_u32(page_text);
  const std::string code = prices[0][kPriceCode];

  // The page must show the requested stock (indexes included) and window.
  if (contains(page, U"ページは存在しません")) {
    return refused_price_page(page_verdict::refused_capped);
  }
  std::string page_code;
  std::size_t p = 0;
  if (!code_before_dot(page, instr(page, U"id=content") + 1, U"code=", page_code, &p)) {
    return refused_price_page(page_verdict::refused_capped);
  }
  if (page_code != code) {
    return refused_price_page(page_verdict::refused);
  }
  if (!page_shows_window(page, kPeriodMarkers, U"selected>", window)) {
    return refused_price_page(page_verdict::refused);
  }

  if (contains(page, U"検索期間の価格データはありません")) {
    return accepted_page("error b01:該当する期間のデータはありません。");
  }
  if (!is_index_code(code)) {
    p = instr(page, U"id=content");
    if (p == 0) {
      return accepted_page("error b11:コードが取得できませんでした。");
    }
    p = instr(page, U"class=title>", p + 1);
    if (p == 0) {
      return accepted_page("error b12:コードが取得できませんでした");
    }
    if (!code_before_dot(page, p + 1, U"code=", page_code, &p)) {
      return accepted_page("error b13:コードが取得できませんでした。");
    }
  } else {
    page_code = index_page_code(page, code, &p);
  }
  if (page_code != code) {
    return accepted_page("error b14:コードが取得できませんでした。");
  }
  const std::size_t gt = instr(page, U">", p);
  const std::size_t lt = gt == 0 ? 0 : instr(page, U"<", gt);
  const std::string name =
      lt == 0 ? std::string()
              : clean_stock_name(to_utf8(trim(u32v(page).substr(gt, lt - gt - 1))));
  const std::size_t open = gt == 0 ? 0 : instr(page, U"（", gt);
  if (open == 0) {
    return accepted_page("error b21:市場名が取得できませんでした。");
  }
  std::size_t close = instr(page, U"）", open + 1);
  if (close == 0) close = page.size() + 1;
  const std::string market = to_utf8(trim(u32v(page).substr(open, close - open - 1)));
  set_price_page_header(prices, splits, page_code, market, name);

  u32v body;
  const body_cut cut = cut_price_table_body(page, body);
  if (cut != body_cut::ok) {
    return accepted_page(body_cut_message(cut));
  }
  read_price_rows(ctx, body, price_date_form::slash, prices, splits);
  return accepted_page();
}

}  // namespace karigane
