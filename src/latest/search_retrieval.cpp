// The latest-day retrieval: see search_retrieval.h.
#include "latest/search_retrieval.h"

#include "fetch/page_retrieval.h"
#include "fetch/quote_addresses.h"
#include "latest/index_data.h"
#include "latest/search_page_parser.h"
#include "latest/search_query.h"

namespace karigane {
namespace {

constexpr const char* kNoData = "インターネットからデータを取得できませんでした。";

enum class page_result { ok, failed, stopped };

// Loads one list view of a group; a page without the query's first code or the view's header
// is asked for again, a bounded number of times (the site may answer with another page).
page_result load_list_page(run_context& ctx, const std::string& query, const char* view,
                           const std::string& marker, std::string& page) {
  const std::string url = search_page_url(ctx.settei, "query=" + query + "&ei=UTF-8&view=" + view);
  const std::string head = left(query, 4);
  for (int attempt = 1; attempt <= kSearchPageAttempts; ++attempt) {
    ctx.pump();
    page.clear();
    std::string message;
    int_cnt1_sub(ctx, url, page, message);
    // A stop during the wait comes back as a failed retrieval; it is a stop.
    if (ctx.stop_flag()) return page_result::stopped;
    if (!message.empty()) return page_result::failed;
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

void dl_yh_data_d_d2_sub(run_context& ctx, const code_list_t& code_list, data_d_table_t& table,
                         std::int16_t& error_flag_s, std::string& error_msg_s) {
  error_msg_s.clear();
  index_table_t index_table(1);
  if (ctx.stop_flag()) return;

  const std::size_t n = code_count(code_list);
  table.assign(n + 1, {});
  table[0][kDMarket] = trim(code_list[0]);
  for (std::size_t k = 1; k <= n; ++k) table[k][kDCode] = code_list[k];

  ctx.progress.start_pass(kKindLatest, kUnitStocks, n);
  for (std::size_t first = 1; first <= n; first += 25) {
    const std::size_t last = std::min(first + 24, n);
    if (ctx.stop_flag()) {
      error_flag_s = kFalse;
      error_msg_s = "情報収集処理を中断しました。";
      return;
    }
    // A group of codes shares its pages: the progress moves by groups.
    ctx.progress.at_item(first, table[first][kDCode]);
    ctx.set_label1("最新日株価ダウンロード中　" + table[first][kDCode] + "～" + table[last][kDCode],
                   label_colour::blue);
    std::string query;
    make_search_query_sub(ctx, table, first, last, query);

    std::string page;
    page_result r = load_list_page(ctx, query, "l1", ">市場<", page);
    if (r == page_result::stopped) return;
    if (r == page_result::failed) {
      error_msg_s = kNoData;
      error_flag_s = kTrue;
      return;
    }
    ctx.pump();
    read_yh_data_d1_sub(ctx, page, table, first, last);

    r = load_list_page(ctx, query, "l2", ">安値<", page);
    if (r == page_result::stopped) return;
    if (r == page_result::failed) {
      error_msg_s = kNoData;
      error_flag_s = kTrue;
      return;
    }
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
    std::string message;
    dl_shihyou_data_sub(ctx, index_table, message);
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
  error_flag_s = kFalse;
  error_msg_s.clear();
}

}  // namespace karigane
