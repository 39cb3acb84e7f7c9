// The latest-day retrieval: see search_retrieval.h.
#include "sources/quote_site/search_retrieval.h"

#include "kinds/data_kinds.h"
#include "sources/quote_site/index_data.h"
#include "sources/quote_site/page_failure.h"
#include "sources/quote_site/page_retrieval.h"
#include "sources/quote_site/quote_addresses.h"
#include "sources/quote_site/search_page_parser.h"
#include "sources/quote_site/search_query.h"

namespace karigane {
namespace {

constexpr const char* kNoData = "インターネットからデータを取得できませんでした。";
// The index chart page as the failure tally names it.
constexpr const char* kIndexChartLabel = "指標データ";

enum class page_result { ok, failed, stopped };

// Loads one list view of a group; a page without the query's first code or the view's header
// is asked for again, a bounded number of times (the site may answer with another page).
page_result load_list_page(run_context& ctx, const quote_site_settings& site,
                           const std::string& query, const char* view, const std::string& marker,
                           std::string& page) {
  const std::string url = search_page_url(site, "query=" + query + "&ei=UTF-8&view=" + view);
  const std::string head = left(query, 4);
  for (int attempt = 1; attempt <= kSearchPageAttempts; ++attempt) {
    ctx.pump();
    retrieved_page fetched = retrieve_page(ctx, site.connection, url);
    page = std::move(fetched.page);
    // A stop during the wait comes back as a failed retrieval; it is a stop.
    if (ctx.stop_flag()) return page_result::stopped;
    if (!fetched.outcome) return page_result::failed;
    ctx.pump();
    if (contains(page, head) && contains(page, marker)) return page_result::ok;
  }
  return page_result::failed;
}

bool is_index_with_volume(const std::string& code) {
  const double v = val(code);
  return v == 1001 || v == 1002;
}

}  // namespace

status fetch_search_pages(run_context& ctx, const quote_site_settings& site,
                          const std::vector<std::string>& codes, data_d_table_t& table,
                          index_chart_of_run& index_chart) {
  if (ctx.stop_flag()) return status::ok;

  const std::size_t n = codes.size();
  table.assign(n + 1, {});
  table[0][kDMarket] = num_text(static_cast<std::int64_t>(n));
  for (std::size_t k = 1; k <= n; ++k) table[k][kDCode] = codes[k - 1];

  ctx.progress.start_pass(kind_of(kind_id::latest).name, kUnitStocks, n);
  for (std::size_t first = 1; first <= n; first += 25) {
    const std::size_t last = std::min(first + 24, n);
    if (ctx.stop_flag()) return status::ok;
    // A group of codes shares its pages: the progress moves by groups.
    ctx.progress.at_item(first, table[first][kDCode]);
    ctx.set_label1("最新日株価ダウンロード中　" + table[first][kDCode] + "～" + table[last][kDCode],
                   label_colour::blue);
    std::string query;
    make_search_query_sub(ctx, table, first, last, query);

    std::string page;
    page_result r = load_list_page(ctx, site, query, "l1", ">市場<", page);
    if (r == page_result::stopped) return status::ok;
    if (r == page_result::failed) return status::failure(kNoData);
    ctx.pump();
    read_yh_data_d1_sub(ctx, page, table, first, last);

    r = load_list_page(ctx, site, query, "l2", ">安値<", page);
    if (r == page_result::stopped) return status::ok;
    if (r == page_result::failed) return status::failure(kNoData);
    ctx.pump();
    ctx.set_label1("インターネットに接続完了", label_colour::blue);
    read_yh_data_d2_sub(ctx, page, table, first, last);
  }

  std::string latest = "0";
  for (std::size_t k = 1; k <= n; ++k) {
    ctx.pump();
    const std::string day = left(table[k][kDTradeDate], 8);
    if (val(day) > val(latest)) latest = day;
  }
  table[0][kDCode] = latest;

  std::size_t m = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    ctx.pump();
    if (table[k][kDName].empty()) continue;
    ++m;
    if (m != k) table[m] = std::move(table[k]);
  }
  table.resize(m + 1);
  table[0][kDMarket] = num_text(static_cast<std::int64_t>(m));

  bool has_index = false;
  for (std::size_t k = 1; k <= m; ++k) has_index = has_index || is_index_with_volume(table[k][kDCode]);
  if (has_index) {
    // Without the page the indexes' volume stays unknown: a failure of the pass.
    note_page_outcome(ctx, "", kind_of(kind_id::latest).name, kIndexChartLabel,
                      index_chart.read(ctx, site, true));
    const index_table_t& index_table = index_chart.table();
    const std::size_t r = std::min(table_count(index_table, 5), index_table.size() - 1);
    if (r > 0 && index_table[r][0] == table[0][kDCode]) {
      for (std::size_t k = 1; k <= m; ++k) {
        ctx.pump();
        if (is_index_with_volume(table[k][kDCode])) table[k][kDVolume] = index_table[r][5];
      }
    }
  }

  ctx.set_label1("　  " + (m > 0 ? table[1][kDCode] + "～" + table[m][kDCode] : std::string("～")),
                 label_colour::blue);
  return status::ok;
}

}  // namespace karigane
