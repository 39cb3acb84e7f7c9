// The statement page extraction: see statement_page_extractor.h. The markers in one pass, the
// rest near them.
#include "sources/quote_site/statement_page_extractor.h"

#include <algorithm>
#include <array>

#include "core/cp932.h"
#include "core/stock_code.h"
#include "financial/statement_kinds.h"
#include "sources/quote_site/page_markers.h"
#include "sources/quote_site/statement_cells.h"
#include "sources/quote_site/statement_pages.h"

namespace karigane {
namespace {

// The markers found in the page's one pass.
enum marker : std::size_t {
  kSingle,
  kConsolidated,
  kInterim,
  kHeadingBlock,
  kRelated,
  kCode,
  kNoPage,
  kNameClass,
  kPeriodHead,
  kTableEnd,
  kMarkerCount,
};

constexpr std::array<std::string_view, kMarkerCount> kMarkers{
    "alt=単独決算", "alt=連結決算", "alt=中間決算", "id=hrFinanceSearch", "関連情報",
    "code=", "ページが見つかりません", "class=yjL", ">決算期<", "</TBODY"};

// The code of the link that follows "関連情報" in the page's heading block: the text after
// "code=" up to the link's closing `">`. False when it cannot be found.
bool find_page_code(const page_markers& page, std::string& code) {
  std::size_t p = page.find(kHeadingBlock) + 1;
  p = page.find(kRelated, p) + 1;
  p = page.find(kCode, p) + 5;
  const std::size_t q = find_at(page.page(), "\">", p);
  if (p == 5 || q == 0) return false;
  code = trim(slice(page.page(), p, q));
  return true;
}

// The heading's stock name: after "class=yjL" up to the next tag, cut before a "【" (the
// code in brackets that some pages add).
std::string page_stock_name(const page_markers& page) {
  const std::string_view text = page.page();
  std::size_t p = page.find(kHeadingBlock) + 1;
  p = page.find(kNameClass, p) + 1;
  p = find_at(text, ">", p) + 1;
  std::size_t end = find_at(text, "<", p);
  if (end == 0) end = text.size() + 1;
  const std::size_t bracket = slice(text, p, end).find("【");
  if (bracket != std::string_view::npos) end = p + bracket;
  return clean_stock_name(trim(slice(text, p, end)));
}

bool has_statement_marker(const page_markers& page) {
  return page.contains(kSingle) || page.contains(kConsolidated) || page.contains(kInterim);
}

// A verification failure: the page is asked for again while the budget lasts.
page_reading refuse(run_context& ctx, page_verdict verdict, const char* message) {
  ctx.pump();
  return refused_page(verdict, message);
}

// The next cell of a row from `s`: the text after the ">" of the next "<TD" up to "</TD".
// False when the row holds no further complete cell.
bool next_cell(std::string_view row, std::size_t& s, std::string_view& cell) {
  const std::size_t td = find_at(row, "<TD", s);
  if (td == 0) return false;
  const std::size_t gt = find_at(row, ">", td + 1);
  if (gt == 0) return false;
  const std::size_t end = find_at(row, "</TD", gt + 1);
  if (end == 0) return false;
  cell = slice(row, gt + 1, end);
  s = end;
  return true;
}

void read_rows(run_context& ctx, const statement_shape& shape, std::string_view body,
               zaimu_tbl_t& zaimu_tbl) {
  zaimu_tbl.resize(1);
  zaimu_tbl.resize(shape.period_records + 1);
  for (const statement_row& item : shape.rows) {
    ctx.pump();
    const std::size_t end = find_at(body, "</TR>");
    const std::size_t length = end == 0 ? body.size() : std::min(body.size(), end + 4);
    const std::string_view row = body.substr(0, length);
    body.remove_prefix(length);
    std::size_t s = 1;
    std::string_view cell;
    for (std::size_t c = 1; c <= shape.cells_per_row; ++c) {
      if (!next_cell(row, s, cell)) break;
      if (c == 1) continue;  // the row label
      zaimu_record& record = zaimu_tbl[c - 1];
      record[item.field - 1] = to_utf8(trim(convert_cell(to_u32(trim(cell)), item.conversion)));
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
  const page_markers m(page_text, kMarkers);
  const std::string_view page = m.page();

  if (verify) {
    if (!has_statement_marker(m)) {
      return refuse(ctx, page_verdict::refused_capped, "決算情報取得不可");
    }
    std::string shown;
    if (!find_page_code(m, shown)) {
      return refuse(ctx, page_verdict::refused_capped, "コード取得不可");
    }
    if (shown != requested) {
      return refuse(ctx, page_verdict::refused, "コード不一致");
    }
  }

  if (m.contains(kNoPage)) {
    return accepted_page("error b01:財務情報データはありません。");
  }
  std::string page_code;
  find_page_code(m, page_code);
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
  zaimu_tbl[0][kZaimuName] = page_stock_name(m);

  const std::size_t head = m.find(kPeriodHead);
  const std::size_t first_row = head == 0 ? 0 : find_back(page, "<TR", head);
  if (first_row == 0) {
    return accepted_page("error b41:前方データ削除ができませんでした。");
  }
  const std::size_t table_end = m.find(kTableEnd, first_row);
  if (table_end == 0) {
    return accepted_page("error b51:後方データ削除ができませんでした。");
  }
  std::string_view body = page.substr(first_row - 1);
  const std::size_t last_row_end = find_back(body, "</TR", table_end - first_row + 1);
  if (last_row_end == 0) {
    return accepted_page("error b52:後方データ削除ができませんでした。");
  }
  body = slice(body, 1, after_char(body, last_row_end + 4));

  read_rows(ctx, *shape, body, zaimu_tbl);
  zaimu_tbl[0][kZaimuCount] = num_text(static_cast<std::int64_t>(shape->period_records));
  return accepted_page();
}

}  // namespace karigane
