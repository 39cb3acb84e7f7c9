// The statement page extraction: see statement_page_extractor.h.
#include "sources/quote_site/statement_page_extractor.h"

#include "core/cp932.h"
#include "core/stock_code.h"
#include "financial/statement_kinds.h"
#include "sources/quote_site/statement_cells.h"
#include "sources/quote_site/statement_pages.h"

namespace karigane {
namespace {

// The code of the link that follows "関連情報" in the page's heading block: the text after
// "code=" up to the link's closing `">`. False when it cannot be found.
bool find_page_code(u32v page, std::string& code) {
  std::size_t p = instr(page, U"id=hrFinanceSearch") + 1;
  p = instr(page, U"関連情報", p) + 1;
  p = instr(page, U"code=", p) + 5;
  const std::size_t q = instr(page, U"\">", p);
  if (p == 5 || q == 0) return false;
  code = to_utf8(trim(between(page, p, q)));
  return true;
}

// The heading's stock name: after "class=yjL" up to the next tag, cut before a "【" (the
// code in brackets that some pages add).
std::string page_stock_name(u32v page) {
  std::size_t p = instr(page, U"id=hrFinanceSearch") + 1;
  p = instr(page, U"class=yjL", p) + 1;
  p = instr(page, U">", p) + 1;
  std::size_t end = instr(page, U"<", p);
  if (end == 0) end = page.size() + 1;
  const std::size_t bracket = instr(page, U"【", p);
  if (bracket != 0 && bracket < end) end = bracket;
  return clean_stock_name(to_utf8(trim(between(page, p, end))));
}

bool has_statement_marker(u32v page) {
  return contains(page, U"alt=単独決算") || contains(page, U"alt=連結決算") ||
         contains(page, U"alt=中間決算");
}

// A verification failure: the page is asked for again while the budget lasts.
page_reading refuse(run_context& ctx, page_verdict verdict, const char* message) {
  ctx.pump();
  return refused_page(verdict, message);
}

// The next cell of a row from `s`: the text after the ">" of the next "<TD" up to "</TD".
// False when the row holds no further complete cell.
bool next_cell(u32v row, std::size_t& s, u32v& cell) {
  const std::size_t td = instr(row, U"<TD", s);
  if (td == 0) return false;
  const std::size_t gt = instr(row, U">", td + 1);
  if (gt == 0) return false;
  const std::size_t end = instr(row, U"</TD", gt + 1);
  if (end == 0) return false;
  cell = between(row, gt + 1, end);
  s = end;
  return true;
}

void read_rows(run_context& ctx, const statement_shape& shape, u32v body, zaimu_tbl_t& zaimu_tbl) {
  zaimu_tbl.resize(1);
  zaimu_tbl.resize(shape.period_records + 1);
  for (const statement_row& item : shape.rows) {
    ctx.pump();
    const std::size_t end = instr(body, U"</TR>");
    const std::size_t length = end == 0 ? body.size() : std::min(body.size(), end + 4);
    const u32v row = body.substr(0, length);
    body.remove_prefix(length);
    std::size_t s = 1;
    u32v cell;
    for (std::size_t c = 1; c <= shape.cells_per_row; ++c) {
      if (!next_cell(row, s, cell)) break;
      if (c == 1) continue;  // the row label
      zaimu_record& record = zaimu_tbl[c - 1];
      record[item.field - 1] = to_utf8(trim(convert_cell(trim(cell), item.conversion)));
      for (std::size_t f : shape.empty_fields) record[f - 1].clear();
    }
  }
}

}  // namespace

page_reading read_statement_page(run_context& ctx, const std::string& kind,
                                 const std::string& page_text, bool verify,
                                 zaimu_tbl_t& zaimu_tbl) {
  if (zaimu_tbl.empty()) zaimu_tbl.resize(1);
  const std::string requested = zaimu_tbl[0][kZaimuCode];
  const u32 page = to_u32(page_text);

  if (verify) {
    if (!has_statement_marker(page)) {
      return refuse(ctx, page_verdict::refused_capped, "決算情報取得不可");
    }
    std::string shown;
    if (!find_page_code(page, shown)) {
      return refuse(ctx, page_verdict::refused_capped, "コード取得不可");
    }
    if (shown != requested) {
      return refuse(ctx, page_verdict::refused, "コード不一致");
    }
  }

  if (contains(page, U"ページが見つかりません")) {
    return accepted_page("error b01:財務情報データはありません。");
  }
  std::string page_code;
  find_page_code(page, page_code);
  if (!is_stock_code(page_code) || compare_codes(page_code, "1301") < 0) {
    return accepted_page("error b31:コードが取得できませんでした。");
  }
  if (page_code != requested) {
    return accepted_page("error b32:コードが取得できませんでした。");
  }
  const statement_shape* shape = statement_shape_of(kind);
  if (shape == nullptr) {
    return accepted_page("決算情報取得不可");
  }
  zaimu_tbl[0][kZaimuCode] = page_code;
  zaimu_tbl[0][kZaimuName] = page_stock_name(page);

  const std::size_t head = instr(page, U">決算期<");
  const std::size_t first_row = head == 0 ? 0 : instr_rev(page, U"<TR", head);
  if (first_row == 0) {
    return accepted_page("error b41:前方データ削除ができませんでした。");
  }
  u32v body = u32v(page).substr(first_row - 1);
  const std::size_t tbody_end = instr(body, U"</TBODY");
  if (tbody_end == 0) {
    return accepted_page("error b51:後方データ削除ができませんでした。");
  }
  const std::size_t last_row_end = instr_rev(body, U"</TR", tbody_end);
  if (last_row_end == 0) {
    return accepted_page("error b52:後方データ削除ができませんでした。");
  }
  body = body.substr(0, std::min(body.size(), last_row_end + 4));

  read_rows(ctx, *shape, body, zaimu_tbl);
  zaimu_tbl[0][kZaimuCount] = num_text(static_cast<std::int64_t>(shape->period_records));
  return accepted_page();
}

}  // namespace karigane
