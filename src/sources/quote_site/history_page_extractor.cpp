// The "新" history page: see history_page_extractor.h. Plain text search on the page as page
// retrieval hands it over (upper-case tags, unquoted simple attribute values): the markers in
// one pass, the rest near them.
#include "sources/quote_site/history_page_extractor.h"

#include <array>

#include "core/cp932.h"
#include "sources/quote_site/page_period.h"
#include "sources/quote_site/history_page_parts.h"

namespace karigane {
namespace {

// The markers found in the page's one pass; an index's page also has its index code marker.
enum marker : std::size_t {
  kNoPrices,
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
  kCloseHead,
  kTableEnd,
  kIndexCode,
};

constexpr std::array<std::string_view, kIndexCode> kMarkers{
    "価格データはありません", "該当する銘柄はありません", "=株価詳細>", "code=",
    "id=selYear", "id=selMonth", "id=selDay", "selected value=",
    "該当する期間のデータはありません", "<H1>", "yjSb", ">終値<", "</TBODY"};

constexpr period_markers kPeriod{{kYear, kMonth, kDay, kYear, kMonth, kDay}, kSelected};

}  // namespace

page_reading read_history_page(run_context& ctx, const std::string& page_text, const kikan_row& window,
                                price_rows& rows) {
  jikeiretu_data_t& prices = rows.prices;
  bunkatu_list_t& splits = rows.splits;
  const std::string code = prices[0][kPriceCode];
  const bool index = is_index_code(code);
  const page_markers m(page_text, kMarkers, index ? index_code_marker(code) : std::string());
  const std::string_view page = m.page();

  // The page must show the requested stock and window.
  if (m.contains(kNoPrices) || m.contains(kNoSuchStock)) {
    return refused_price_page(page_verdict::refused_capped);
  }
  std::string page_code;
  if (!index) {
    if (!code_before_dot(m, kCode, m.find(kDetailLink) + 1, page_code)) {
      return refused_price_page(page_verdict::refused_capped);
    }
    if (page_code != code) {
      return refused_price_page(page_verdict::refused);
    }
  }
  if (!page_shows_window(m, kPeriod, window)) {
    return refused_price_page(page_verdict::refused);
  }

  // Messages, names and the code.
  if (m.contains(kNoDataInPeriod)) {
    return accepted_page("error b01:該当する期間のデータはありません。");
  }
  std::size_t p = m.find(kDetailLink);
  if (p == 0) {
    return accepted_page("error b11:銘柄名が取得できませんでした。");
  }
  p = m.find(kHeading, p);
  if (p == 0) {
    return accepted_page("error b12:銘柄名が取得できませんでした。");
  }
  p = find_at(page, ">", p);
  std::size_t q = find_at(page, "<", p);
  if (q == 0) q = page.size() + 1;
  const std::string name = clean_stock_name(trim(slice(page, p + 1, q)));

  const std::size_t sb = m.find(kMarket);
  if (sb == 0) {
    return accepted_page("error b21:市場名が取得できませんでした。");
  }
  const std::size_t gt = find_at(page, ">", sb);
  const std::size_t lt = gt == 0 ? 0 : find_at(page, "<", gt);
  const std::string market = lt == 0 ? std::string() : trim(slice(page, gt + 1, lt));

  if (index) page_code = index_page_code(m, kIndexCode, code);
  if (page_code != code) {
    return accepted_page("error b32:コードが取得できませんでした。");
  }
  set_price_page_header(prices, splits, page_code, market, name);

  // The price table.
  return read_table(m, kCloseHead, kTableEnd, [&](std::string_view body) {
    read_price_rows(ctx, body, price_date_form::kanji, prices, splits);
  });
}

}  // namespace karigane
