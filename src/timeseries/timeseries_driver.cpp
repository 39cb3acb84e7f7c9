// The time-series driver: see timeseries_driver.h.
#include "timeseries/timeseries_driver.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "codes/stock_list.h"
#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/kikan_list.h"
#include "core/page_failure.h"
#include "core/stored_continuation.h"
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

// The first stock-list entry of every code, by numeric value; entries whose code is not plain
// digits are not stocks.
std::unordered_map<std::int64_t, const meigara_entry*> index_by_code(const meigara_list_t& list) {
  std::unordered_map<std::int64_t, const meigara_entry*> index;
  const std::size_t n = meigara_count(list);
  for (std::size_t i = 1; i <= n; ++i) {
    if (!plain_code(list[i].d1_meigarasuu_meigaracode)) continue;
    index.emplace(int_value(list[i].d1_meigarasuu_meigaracode), &list[i]);
  }
  return index;
}

// The market letter goes into the mobile page's address after the code: letters only.
std::string market_letter_of(const meigara_entry& entry) {
  const std::string& m = entry.market_code;
  const bool letters = std::all_of(
      m.begin(), m.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
  return letters ? m : std::string();
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

// The windows of one stock: the run's, or those of the stock's own period when the caller gave
// it a first day or "保存データの続きから" is ticked (the continuation of its stored rows; none
// when they are current). `own` holds them then. Nullptr when the stored price file cannot be
// read: the file is reported and nothing is asked for the stock.
const kikan_list_t* stock_windows(run_context& ctx, const std::string& code,
                                  const date& start_date, const date& end_date,
                                  const kikan_list_t& run_windows, const first_days_t* first_days,
                                  kikan_list_t& own) {
  if (start_date.empty() || end_date.empty()) return &run_windows;
  if (first_days != nullptr) {
    const auto it = first_days->find(code);
    if (it == first_days->end()) return &run_windows;
    own = make_kikan_list(std::max(start_date, it->second), end_date, kWindowDays);
    return &own;
  }
  if (!ctx.controls.out1_tuzuki_chk) return &run_windows;
  const std::string path = price_file_path(ctx.settei, code);
  std::optional<date> newest;
  const read_result stored = newest_stored_row(path, kPriceFileWidth, kPriceCount, newest);
  if (stored.unusable()) {
    report_damaged_file(ctx, code, kKindPrices, path, stored);
    return nullptr;
  }
  const auto period = daily_continuation({start_date, end_date}, newest, ctx.now());
  own = period ? make_kikan_list(period->start, period->end, kWindowDays)
               : kikan_list_t{kikan_row{"0", {}, {}}};
  return &own;
}

}  // namespace

void dl_jikeiretudata_sub(run_context& ctx, const code_list_t& code_list, const date& start_date,
                          const date& end_date, std::int16_t& error_flag_s,
                          std::string& error_msg_s, const first_days_t* first_days) {
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

  for (const std::string& folder :
       {settei.kabuka_path, settei.kabuka_path + settei.data_m_name + "/",
        split_folder_path(settei)}) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }

  const kikan_list_t kikan_list = make_kikan_list(start_date, end_date, kWindowDays);

  // A stop, or a fault that ends the run (a file that cannot be written, a site that stopped
  // answering).
  auto stopped = [&] {
    if (!ctx.run_interrupted()) return false;
    error_flag_s = kTrue;
    error_msg_s = ctx.has_run_error() ? ctx.run_error() : kInterrupted;
    return true;
  };
  if (stopped()) return;

  const std::size_t n = code_count(code_list);
  ctx.progress.start_pass(kKindPrices, kUnitStocks, n);
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string& code = code_list[i];
    ctx.pump();
    if (stopped()) return;
    ctx.progress.at_item(i, code);
    ctx.pump();
    kikan_list_t own_windows;
    const kikan_list_t* windows =
        stock_windows(ctx, code, start_date, end_date, kikan_list, first_days, own_windows);
    if (windows == nullptr) continue;
    jikeiretu_data_t prices = empty_price_table(code);
    bunkatu_list_t splits = empty_split_table(code);
    // A stock whose stored rows are current asks for nothing, not even the warm-up.
    const bool asks = windows == &kikan_list || windows->size() > 1;
    if (asks && (settei.jikeiretu_site == kMobileForm || settei.shinyou_site == kMobileForm)) {
      warm_up(ctx);
    }

    std::string market_code;
    if (const auto it = entries.find(int_value(code)); it != entries.end()) {
      market_code = market_letter_of(*it->second);
      prices[0][kPriceMarket] = it->second->market_name;
    }

    for (std::size_t w = 1; w < windows->size(); ++w) {
      const kikan_row& window = (*windows)[w];
      ctx.pump();
      if (stopped()) return;
      ctx.pump();
      const std::string period = slash_text(window.start) + "～" + slash_text(window.end);
      ctx.set_label1(code + " " + period + " 時系列株価処理中", label_colour::blue);
      ctx.pump();
      dl_yh_data_m_db_sub(ctx, window, code, market_code, prices, splits, error_flag_s,
                          error_msg_s);
      note_page_result(ctx, code, kKindPrices, period, error_flag_s, error_msg_s);
    }

    if (stopped()) return;
    ctx.pump();
    // The split list first: a run cut short between the two files leaves the price file as it
    // was, and a run that takes up the stored rows asks for the stock's days again.
    if (split_count(splits) > 0) {
      const std::string path = split_file_path(settei, code);
      read_result stored;
      if (write_bunkatu_data_sub(settei, splits, &stored) != 0) {
        if (stored.unusable()) {
          report_damaged_file(ctx, code, kKindSplits, path, stored);
        } else {
          ctx.set_write_error(path);
        }
      }
    }
    if (stopped()) return;
    ctx.pump();
    if (price_count(prices) > 0) {
      const std::string path = price_file_path(settei, code);
      read_result stored;
      if (write_jikeiretu_data_sub(settei, prices, &stored) != 0) {
        if (stored.unusable()) {
          report_damaged_file(ctx, code, kKindPrices, path, stored);
        } else {
          ctx.set_write_error(path);
        }
      }
    }
    if (stopped()) return;
    ctx.pump();
    if (ctx.controls.out1_nengoto_chk) {
      // The main files were reported above when they could not be read; a yearly file that
      // cannot be written ends the run.
      std::string unwritten;
      read_result main_read;
      write_jikeiretu_nengoto_sub(settei, prices, code, &main_read, &unwritten);
      if (main_read.unusable()) {
        report_damaged_file(ctx, code, kKindPrices, price_file_path(settei, code), main_read);
      }
      if (!unwritten.empty()) ctx.set_write_error(unwritten);
      if (stopped()) return;
      ctx.pump();
      write_bunkatu_nengoto_sub(settei, splits, code, &main_read, &unwritten);
      if (main_read.unusable()) {
        report_damaged_file(ctx, code, kKindSplits, split_file_path(settei, code), main_read);
      }
      if (!unwritten.empty()) ctx.set_write_error(unwritten);
      if (stopped()) return;
      ctx.pump();
    }
  }
}

}  // namespace karigane
