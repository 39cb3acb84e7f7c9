// The time-series driver: see timeseries_driver.h.
#include "timeseries/timeseries_driver.h"

#include <unordered_map>

#include "codes/stock_list.h"
#include "core/damaged_file.h"
#include "core/folders.h"
#include "core/kikan_list.h"
#include "core/text.h"
#include "fetch/page_retrieval.h"
#include "fetch/quote_addresses.h"
#include "timeseries/history_fetch.h"
#include "timeseries/price_files.h"
#include "timeseries/split_files.h"

namespace karigane {
namespace {

constexpr const char* kInterrupted = "処理を中断しました。";
constexpr const char* kMobileForm = "Ｍ";
constexpr int kWindowDays = 50;

// The first stock-list entry of every code, by numeric value.
std::unordered_map<std::int64_t, const meigara_entry*> index_by_code(const meigara_list_t& list) {
  std::unordered_map<std::int64_t, const meigara_entry*> index;
  const std::size_t n = meigara_count(list);
  for (std::size_t i = 1; i <= n; ++i) {
    index.emplace(int_value(list[i].d1_meigarasuu_meigaracode), &list[i]);
  }
  return index;
}

// Before the windows of a stock in the mobile form the site is asked for one fixed history
// page first, as a warm-up; the page and any failure are discarded.
void warm_up(run_context& ctx) {
  std::string page;
  std::string message;
  int_cnt1_sub(ctx,
               history_page_url(ctx.settei, "code=1301&sy=2013&sm=1&sd=1&ey=2013&em=1&ed=15&tm=d"),
               page, message);
}


}  // namespace

void dl_jikeiretudata_sub(run_context& ctx, const code_list_t& code_list, const date& start_date,
                          const date& end_date, std::int16_t& error_flag_s,
                          std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  ctx.set_label1("", label_colour::blue);
  const settei_record& settei = ctx.settei;

  meigara_list_t meigara_list;
  {
    std::int16_t flag = kFalse;
    std::string message;
    read_meigara_list_sub(ctx, meigara_list, flag, message);
  }
  const auto entries = index_by_code(meigara_list);
  ctx.pump();

  ensure_folder(settei.kabuka_path);
  ensure_folder(settei.kabuka_path + settei.data_m_name + "/");
  ensure_folder(settei.kabuka_path + settei.data_m_name + "h/");

  const kikan_list_t kikan_list = make_kikan_list(start_date, end_date, kWindowDays);

  // A stop, or a fault that ends the run (a site that stopped answering).
  auto stopped = [&] {
    if (!ctx.run_interrupted()) return false;
    error_flag_s = kTrue;
    error_msg_s = ctx.stop_flag() ? kInterrupted : ctx.run_error();
    return true;
  };
  if (stopped()) return;

  const std::size_t n = code_count(code_list);
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string& code = code_list[i];
    ctx.pump();
    if (stopped()) return;
    ctx.pump();
    jikeiretu_data_t prices = empty_price_table(code);
    bunkatu_list_t splits = empty_split_table(code);
    if (settei.jikeiretu_site == kMobileForm || settei.shinyou_site == kMobileForm) warm_up(ctx);

    std::string market_code;
    if (const auto it = entries.find(int_value(code)); it != entries.end()) {
      market_code = it->second->market_code;
      prices[0][kPriceMarket] = it->second->market_name;
    }

    for (std::size_t w = 1; w < kikan_list.size(); ++w) {
      const kikan_row& window = kikan_list[w];
      ctx.pump();
      if (stopped()) return;
      ctx.pump();
      ctx.set_label1(code + " " + slash_text(window.start) + "～" + slash_text(window.end) +
                         " 時系列株価処理中",
                     label_colour::blue);
      ctx.pump();
      dl_yh_data_m_db_sub(ctx, window, code, market_code, prices, splits, error_flag_s,
                          error_msg_s);
    }

    if (stopped()) return;
    ctx.pump();
    bool damaged = false;
    if (price_count(prices) > 0) {
      write_jikeiretu_data_sub(settei, prices, &damaged);
      if (damaged) report_damaged_file(ctx, price_file_path(settei, code));
    }
    if (stopped()) return;
    ctx.pump();
    if (split_count(splits) > 0) {
      write_bunkatu_data_sub(settei, splits, &damaged);
      if (damaged) report_damaged_file(ctx, split_file_path(settei, code));
    }
    if (stopped()) return;
    ctx.pump();
    if (ctx.controls.out1_nengoto_chk) {
      write_jikeiretu_nengoto_sub(settei, prices, code);
      if (stopped()) return;
      ctx.pump();
      write_bunkatu_nengoto_sub(settei, splits, code);
      if (stopped()) return;
      ctx.pump();
    }
  }
}

}  // namespace karigane
