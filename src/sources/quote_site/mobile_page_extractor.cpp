// The mobile history page: see mobile_page_extractor.h. The markers in one pass, the rest
// near them.
#include "sources/quote_site/mobile_page_extractor.h"

#include <array>

#include "core/cp932.h"
#include "sources/quote_site/page_period.h"
#include "sources/quote_site/history_page_parts.h"

namespace karigane {
namespace {

// The markers found in the page's one pass; an index's page also has its index code marker.
enum marker : std::size_t {
  kNoPage,
  kContent,
  kCode,
  kFromYear,
  kFromMonth,
  kFromDay,
  kToYear,
  kToMonth,
  kToDay,
  kSelected,
  kNoDataInPeriod,
  kTitle,
  kCloseHead,
  kTableEnd,
  kIndexCode,
};

constexpr std::array<std::string_view, kIndexCode> kMarkers{
    "ページは存在しません", "id=content", "code=", "name=fy> <OPTION",
    "name=fm> <OPTION", "name=fd> <OPTION", "name=ty> <OPTION", "name=tm> <OPTION",
    "name=td> <OPTION", "selected>", "検索期間の価格データはありません", "class=title>",
    ">終値<", "</TBODY"};

constexpr period_markers kPeriod{{kFromYear, kFromMonth, kFromDay, kToYear, kToMonth, kToDay},
                                 kSelected};

}  // namespace

page_reading read_mobile_history_page(run_context& ctx, const std::string& page_text, const kikan_row& window,
                                price_rows& rows) {
  jikeiretu_data_t& prices = rows.prices;
  bunkatu_list_t& splits = rows.splits;
  const std::string code = prices[0][kPriceCode];
  const bool index = is_index_code(code);
  const page_markers m(page_text, kMarkers, index ? index_code_marker(code) : std::string());
  const std::string_view page = m.page();

  // The page must show the requested stock (indexes included) and window.
  if (m.contains(kNoPage)) {
    return refused_price_page(page_verdict::refused_capped);
  }
  std::string page_code;
  std::size_t p = 0;
  if (!code_before_dot(m, kCode, m.find(kContent) + 1, page_code, &p)) {
    return refused_price_page(page_verdict::refused_capped);
  }
  if (page_code != code) {
    return refused_price_page(page_verdict::refused);
  }
  if (!page_shows_window(m, kPeriod, window)) {
    return refused_price_page(page_verdict::refused);
  }

  if (m.contains(kNoDataInPeriod)) {
    return accepted_page("error b01:該当する期間のデータはありません。");
  }
  if (!index) {
    p = m.find(kContent);
    if (p == 0) {
      return accepted_page("error b11:コードが取得できませんでした。");
    }
    p = m.find(kTitle, p + 1);
    if (p == 0) {
      return accepted_page("error b12:コードが取得できませんでした");
    }
    if (!code_before_dot(m, kCode, p + 1, page_code, &p)) {
      return accepted_page("error b13:コードが取得できませんでした。");
    }
  } else {
    page_code = index_page_code(m, kIndexCode, code, &p);
  }
  if (page_code != code) {
    return accepted_page("error b14:コードが取得できませんでした。");
  }
  const std::size_t gt = find_at(page, ">", p);
  const std::size_t lt = gt == 0 ? 0 : find_at(page, "<", gt);
  const std::string name =
      lt == 0 ? std::string() : clean_stock_name(trim(slice(page, gt + 1, lt)));
  constexpr std::string_view kOpen = "（";
  const std::size_t open = gt == 0 ? 0 : find_at(page, kOpen, gt);
  if (open == 0) {
    return accepted_page("error b21:市場名が取得できませんでした。");
  }
  std::size_t close = find_at(page, "）", open + kOpen.size());
  if (close == 0) close = page.size() + 1;
  const std::string market = trim(slice(page, open + kOpen.size(), close));
  set_price_page_header(prices, splits, page_code, market, name);

  return read_table(m, kCloseHead, kTableEnd, [&](std::string_view body) {
    read_price_rows(ctx, body, price_date_form::slash, prices, splits);
  });
}

}  // namespace karigane
