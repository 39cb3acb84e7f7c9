// The "新" margin history page: see margin_history_extractor.h. Plain text search on the page
// as page retrieval hands it over (upper-case tags, unquoted simple attribute values): the
// markers in one pass, the rest near them.
#include "sources/quote_site/margin_history_extractor.h"

#include <array>

#include "sources/quote_site/page_period.h"
#include "sources/quote_site/margin_page_parts.h"

namespace karigane {
namespace {

// The markers found in the page's one pass; an index's page also has its index code marker.
enum marker : std::size_t {
  kNoSuchStock,
  kDetailLink,
  kCode,
  kYear,
  kMonth,
  kDay,
  kSelected,
  kNoDataInPeriod,
  kHeading,
  kMarket,
  kDetails,
  kRatioHead,
  kTableEnd,
  kIndexCode,
};

constexpr std::array<std::string_view, kIndexCode> kMarkers{
    "該当する銘柄はありません", "=株価詳細>", "code=", "id=selYear", "id=selMonth",
    "id=selDay", "selected value=", "該当する期間のデータはありません", "<H1>", "yjSb",
    ">詳細情報<", ">信用倍率<", "</TBODY"};

constexpr period_markers kPeriod{{kYear, kMonth, kDay, kYear, kMonth, kDay}, kSelected};

// The market name: the text after "yjSb" between the next ">" and "<"; false without "yjSb".
bool read_market(const page_markers& page, std::string& market) {
  const std::size_t sb = page.find(kMarket);
  if (sb == 0) return false;
  const std::string_view text = page.page();
  const std::size_t gt = find_at(text, ">", sb);
  const std::size_t lt = gt == 0 ? 0 : find_at(text, "<", gt);
  if (lt != 0) market = trim(slice(text, gt + 1, lt));
  return true;
}

}  // namespace

page_reading read_margin_history_page(run_context& ctx, const std::string& page_text,
                                   const kikan_row& window, bool verify,
                                   credit_tbl_t& credit_tbl) {
  const std::string code = credit_tbl[0][kCreditCode];
  const bool index = is_index_code(code);
  const page_markers m(page_text, kMarkers, index ? index_code_marker(code) : std::string());
  const bool no_such_stock = m.contains(kNoSuchStock);

  // The page must show the requested stock and window.
  if (verify) {
    if (no_such_stock) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    std::string page_code;
    if (!code_before_dot(m, kCode, m.find(kDetailLink) + 1, page_code)) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    if (page_code != code || !page_shows_window(m, kPeriod, window)) {
      return refused_margin_page(ctx, page_verdict::refused);
    }
  }

  // Messages, names and the code.
  if (m.contains(kNoDataInPeriod)) {
    return accepted_page("error b01:該当する期間のデータはありません。");
  }
  if (no_such_stock) {
    return accepted_page("error b02:該当する銘柄はありません。");
  }
  std::string name;
  switch (read_stock_name(m, kDetailLink, kHeading, name)) {
    case name_result::no_first_marker:
      return accepted_page("error b11:銘柄名が取得できませんでした。");
    case name_result::no_second_marker:
      return accepted_page("error b12:銘柄名が取得できませんでした。");
    case name_result::ok: break;
  }
  std::string market;
  if (!read_market(m, market)) {
    return accepted_page("error b21:市場名が取得できませんでした。");
  }
  std::string page_code;
  if (index) {
    page_code = index_page_code(m, kIndexCode, code);
  } else {
    const std::size_t detail = m.find(kDetails);
    if (detail == 0 || !code_before_dot(m, kCode, detail, page_code)) {
      return accepted_page("error b31:コードが取得できませんでした。");
    }
  }
  if (page_code != code) {
    return accepted_page("error b32:コードが取得できませんでした。");
  }
  if (!set_margin_page_header(credit_tbl, page_code, market, name)) return accepted_page();

  // The balance table.
  return read_table(m, kRatioHead, kTableEnd, [&](std::string_view body) {
    read_margin_rows(ctx, body, cell_form::plain, credit_tbl);
  });
}

}  // namespace karigane
