// The "新" margin history page: see margin_history_extractor.h. Plain text search on the page
// as page retrieval hands it over (upper-case tags, unquoted simple attribute values).
#include "sources/quote_site/margin_history_extractor.h"

#include "sources/quote_site/page_period.h"
#include "sources/quote_site/margin_page_parts.h"

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

page_reading read_margin_history_page(run_context& ctx, const std::string& page_text,
                                   const kikan_row& window, bool verify,
                                   credit_tbl_t& credit_tbl) {
  // Whether a text is on the page is asked of the UTF-8 text, which is searched faster.
  const u32 page = to_u32(page_text);
  const std::string code = credit_tbl[0][kCreditCode];
  const bool no_such_stock = contains(page_text, "該当する銘柄はありません");

  // The page must show the requested stock and window.
  if (verify) {
    if (no_such_stock) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    std::string page_code;
    if (!code_before_dot(page, instr(page, U"=株価詳細>") + 1, U"code=", page_code)) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    if (page_code != code || !page_shows_window(page, kPeriodMarkers, U"selected value=", window)) {
      return refused_margin_page(ctx, page_verdict::refused);
    }
  }

  // Messages, names and the code.
  if (contains(page_text, "該当する期間のデータはありません")) {
    return accepted_page("error b01:該当する期間のデータはありません。");
  }
  if (no_such_stock) {
    return accepted_page("error b02:該当する銘柄はありません。");
  }
  std::string name;
  switch (read_stock_name(page, U"=株価詳細>", U"<H1>", name)) {
    case name_result::no_first_marker:
      return accepted_page("error b11:銘柄名が取得できませんでした。");
    case name_result::no_second_marker:
      return accepted_page("error b12:銘柄名が取得できませんでした。");
    case name_result::ok: break;
  }
  std::string market;
  if (!read_market(page, market)) {
    return accepted_page("error b21:市場名が取得できませんでした。");
  }
  std::string page_code;
  if (is_index_code(code)) {
    page_code = index_page_code(page, code);
  } else {
    const std::size_t detail = instr(page, U">詳細情報<");
    if (detail == 0 || !code_before_dot(page, detail, U"code=", page_code)) {
      return accepted_page("error b31:コードが取得できませんでした。");
    }
  }
  if (page_code != code) {
    return accepted_page("error b32:コードが取得できませんでした。");
  }
  if (!set_margin_page_header(credit_tbl, page_code, market, name)) return accepted_page();

  // The balance table.
  u32v body;
  const body_cut cut = cut_margin_table_body(page, body);
  if (cut != body_cut::ok) {
    return accepted_page(body_cut_message(cut));
  }
  read_margin_rows(ctx, body, cell_form::plain, credit_tbl);
  return accepted_page();
}

}  // namespace karigane
