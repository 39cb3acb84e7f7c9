// The mobile history page: see mobile_page_extractor.h.
#include "timeseries/mobile_page_extractor.h"

#include "core/cp932.h"
#include "core/page_period.h"
#include "timeseries/history_page_parts.h"

namespace karigane {
namespace {

constexpr std::array<u32v, 6> kPeriodMarkers{U"name=fy> <OPTION", U"name=fm> <OPTION",
                                              U"name=fd> <OPTION", U"name=ty> <OPTION",
                                              U"name=tm> <OPTION", U"name=td> <OPTION"};

}  // namespace

void extract_kabuinf_from_yahoohtml_mobile_sub(run_context& ctx, const std::string& page_text,
                                               const kikan_row& window,
                                               std::int16_t& error_loop_no_s,
                                               jikeiretu_data_t& prices, bunkatu_list_t& splits,
                                               std::int16_t& error_flag_s,
                                               std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  const u32 page = to_u32(page_text);
  const std::string code = prices[0][kPriceCode];

  // The page must show the requested stock (indexes included) and window.
  if (contains(page, U"ページは存在しません")) {
    return price_page_capped_failure(error_loop_no_s, error_flag_s, error_msg_s);
  }
  std::string page_code;
  std::size_t p = 0;
  if (!code_before_dot(page, instr(page, U"id=content") + 1, U"code=", page_code, &p)) {
    return price_page_capped_failure(error_loop_no_s, error_flag_s, error_msg_s);
  }
  if (page_code != code) {
    return price_page_plain_failure(error_loop_no_s, error_flag_s, error_msg_s);
  }
  if (!page_shows_window(page, kPeriodMarkers, U"selected>", window)) {
    return price_page_plain_failure(error_loop_no_s, error_flag_s, error_msg_s);
  }
  error_loop_no_s = 0;

  if (contains(page, U"検索期間の価格データはありません")) {
    error_msg_s = "error b01:該当する期間のデータはありません。";
    return;
  }
  if (!is_index_code(code)) {
    p = instr(page, U"id=content");
    if (p == 0) {
      error_msg_s = "error b11:コードが取得できませんでした。";
      return;
    }
    p = instr(page, U"class=title>", p + 1);
    if (p == 0) {
      error_msg_s = "error b12:コードが取得できませんでした";
      return;
    }
    if (!code_before_dot(page, p + 1, U"code=", page_code, &p)) {
      error_msg_s = "error b13:コードが取得できませんでした。";
      return;
    }
  } else {
    page_code = index_page_code(page, code, &p);
  }
  if (page_code != code) {
    error_msg_s = "error b14:コードが取得できませんでした。";
    return;
  }
  const std::size_t gt = instr(page, U">", p);
  const std::size_t lt = gt == 0 ? 0 : instr(page, U"<", gt);
  const std::string name =
      lt == 0 ? std::string()
              : clean_stock_name(to_utf8(trim(u32v(page).substr(gt, lt - gt - 1))));
  const std::size_t open = gt == 0 ? 0 : instr(page, U"（", gt);
  if (open == 0) {
    error_msg_s = "error b21:市場名が取得できませんでした。";
    return;
  }
  std::size_t close = instr(page, U"）", open + 1);
  if (close == 0) close = page.size() + 1;
  const std::string market = to_utf8(trim(u32v(page).substr(open, close - open - 1)));
  set_price_page_header(prices, splits, page_code, market, name);

  u32v body;
  const body_cut cut = cut_price_table_body(page, body);
  if (cut != body_cut::ok) {
    error_msg_s = body_cut_message(cut);
    return;
  }
  read_price_rows(ctx, body, price_date_form::slash, prices, splits);
}

}  // namespace karigane
