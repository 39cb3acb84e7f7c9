// The "新" margin history page: see margin_history_extractor.h. Plain text search on the page
// as page retrieval hands it over (upper-case tags, unquoted simple attribute values).
#include "margin/margin_history_extractor.h"

#include "core/page_period.h"
#include "margin/margin_page_parts.h"

namespace karigane {
namespace {

constexpr std::array<u32v, 6> kPeriodMarkers{U"id=selYear", U"id=selMonth", U"id=selDay",
                                              U"id=selYear", U"id=selMonth", U"id=selDay"};

// The market name: the text after "yjSb" between the next ">" and "<"; false without "yjSb".
bool read_market(u32v page, std::string& market) {
  const std::size_t sb = instr(page, U"yjSb");
  if (sb == 0) return false;
  const std::size_t gt = instr(page, U">", sb);
  const std::size_t lt = gt == 0 ? 0 : instr(page, U"<", gt);
  if (lt != 0) market = to_utf8(trim(page.substr(gt, lt - gt - 1)));
  return true;
}

}  // namespace

void extract_creditinf_from_yahoohtml_new_sub(run_context& ctx, const std::string& page_text,
                                              const kikan_row& window,
                                              std::int16_t& error_loop_no_s,
                                              credit_tbl_t& credit_tbl, std::int16_t& error_flag_s,
                                              std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  // Whether a text is on the page is asked of the UTF-8 text, which is searched faster.
  const u32 page = to_u32(page_text);
  const std::string code = credit_tbl[0][kCreditCode];
  const bool no_such_stock = contains(page_text, "該当する銘柄はありません");

  // The page must show the requested stock and window.
  if (error_loop_no_s > 0) {
    if (no_such_stock) {
      return margin_capped_failure(ctx, error_loop_no_s, error_flag_s, error_msg_s);
    }
    std::string page_code;
    if (!code_before_dot(page, instr(page, U"=株価詳細>") + 1, U"code=", page_code)) {
      return margin_capped_failure(ctx, error_loop_no_s, error_flag_s, error_msg_s);
    }
    if (page_code != code || !page_shows_window(page, kPeriodMarkers, U"selected value=", window)) {
      return margin_plain_failure(ctx, error_loop_no_s, error_flag_s, error_msg_s);
    }
  }
  error_loop_no_s = 0;

  // Messages, names and the code.
  if (contains(page_text, "該当する期間のデータはありません")) {
    error_msg_s = "error b01:該当する期間のデータはありません。";
    return;
  }
  if (no_such_stock) {
    error_msg_s = "error b02:該当する銘柄はありません。";
    return;
  }
  std::string name;
  switch (read_stock_name(page, U"=株価詳細>", U"<H1>", name)) {
    case name_result::no_first_marker:
      error_msg_s = "error b11:銘柄名が取得できませんでした。";
      return;
    case name_result::no_second_marker:
      error_msg_s = "error b12:銘柄名が取得できませんでした。";
      return;
    case name_result::ok: break;
  }
  std::string market;
  if (!read_market(page, market)) {
    error_msg_s = "error b21:市場名が取得できませんでした。";
    return;
  }
  std::string page_code;
  if (is_index_code(code)) {
    page_code = index_page_code(page, code);
  } else {
    const std::size_t detail = instr(page, U">詳細情報<");
    if (detail == 0 || !code_before_dot(page, detail, U"code=", page_code)) {
      error_msg_s = "error b31:コードが取得できませんでした。";
      return;
    }
  }
  if (page_code != code) {
    error_msg_s = "error b32:コードが取得できませんでした。";
    return;
  }
  if (!set_margin_page_header(credit_tbl, page_code, market, name)) return;

  // The balance table.
  u32v body;
  const body_cut cut = cut_margin_table_body(page, body);
  if (cut != body_cut::ok) {
    error_msg_s = body_cut_message(cut);
    return;
  }
  read_margin_rows(ctx, body, cell_form::plain, credit_tbl);
}

}  // namespace karigane
