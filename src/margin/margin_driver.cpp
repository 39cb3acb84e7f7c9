// The margin driver: see margin_driver.h.
#include "margin/margin_driver.h"

#include <optional>

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/kikan_list.h"
#include "core/page_failure.h"
#include "core/stored_continuation.h"
#include "margin/margin_fetch.h"
#include "margin/margin_files.h"

namespace karigane {
namespace {

constexpr const char* kInterrupted = "処理を中断しました。";
constexpr int kWindowDays = 250;

// The windows of one stock: the run's, or with "保存データの続きから" those of the continuation of
// its stored weeks (none when they are current; `own` holds them). Nullptr when the stored
// margin file cannot be read: it is reported and nothing is asked for the stock.
const kikan_list_t* stock_windows(run_context& ctx, const std::string& code,
                                  const date& start_date, const date& end_date,
                                  const kikan_list_t& run_windows, kikan_list_t& own) {
  if (!ctx.controls.out1_tuzuki_chk || start_date.empty() || end_date.empty()) {
    return &run_windows;
  }
  const std::string path = margin_file_path(ctx.settei, code);
  std::optional<date> newest;
  const read_result stored = newest_stored_row(path, kCreditFileWidth, kCreditCount, newest);
  if (stored.unusable()) {
    report_damaged_file(ctx, code, kKindMargin, path, stored);
    return nullptr;
  }
  const auto period = weekly_continuation({start_date, end_date}, newest, ctx.now().day);
  own = period ? make_kikan_list(period->start, period->end, kWindowDays)
               : kikan_list_t{kikan_row{"0", {}, {}}};
  return &own;
}

}  // namespace

void dl_data_c_sub(run_context& ctx, const code_list_t& code_list, const date& start_date,
                   const date& end_date, std::int16_t& error_flag_s, std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  ctx.set_label1("", label_colour::blue);
  const settei_record& settei = ctx.settei;

  for (const std::string& folder :
       {settei.kabuka_path, settei.kabuka_path + settei.data_c_name + "/"}) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }

  // A failed period check can leave a date empty; there is no period to cut into windows then.
  const kikan_list_t kikan_list = start_date.empty() || end_date.empty()
                                      ? kikan_list_t{kikan_row{"0", {}, {}}}
                                      : make_kikan_list(start_date, end_date, kWindowDays);

  // A stop, or a fault that ends the run (a file that cannot be written, a site that stopped
  // answering).
  auto stopped = [&] {
    ctx.pump();
    if (!ctx.run_interrupted()) {
      ctx.pump();
      return false;
    }
    error_flag_s = kTrue;
    error_msg_s = ctx.has_run_error() ? ctx.run_error() : kInterrupted;
    return true;
  };
  if (stopped()) return;

  const std::size_t n = code_count(code_list);
  ctx.progress.start_pass(kKindMargin, kUnitStocks, n);
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string& code = code_list[i];
    if (stopped()) return;
    ctx.progress.at_item(i, code);
    kikan_list_t own_windows;
    const kikan_list_t* windows =
        stock_windows(ctx, code, start_date, end_date, kikan_list, own_windows);
    if (windows == nullptr) continue;
    credit_tbl_t credit_tbl = empty_credit_table(code);

    for (std::size_t w = 1; w < windows->size(); ++w) {
      const kikan_row& window = (*windows)[w];
      if (stopped()) return;
      const std::string period = slash_text(window.start) + "～" + slash_text(window.end);
      ctx.set_label1(code + " " + period + " 信用売買残処理中", label_colour::blue);
      dl_yh_data_c_db_sub(ctx, window, code, "", credit_tbl, error_flag_s, error_msg_s);
      if (error_msg_s == kMobileMarginUnreadable) ctx.set_label1(error_msg_s, label_colour::red);
      note_page_result(ctx, code, kKindMargin, period, error_flag_s, error_msg_s);
    }

    if (stopped()) return;
    const std::string path = margin_file_path(settei, code);
    if (credit_count(credit_tbl) > 0) {
      read_result stored;
      if (write_data_c_sub(settei, credit_tbl, &stored) != 0) {
        if (stored.unusable()) {
          report_damaged_file(ctx, code, kKindMargin, path, stored);
        } else {
          ctx.set_write_error(path);
        }
      }
    }
    if (stopped()) return;
    if (ctx.controls.out1_nengoto_chk) {
      read_result main_read;
      std::string unwritten;
      write_data_c_nengoto_sub(settei, credit_tbl, code, &main_read, &unwritten);
      // Reported once: the merge above may have named the same file.
      if (main_read.unusable()) report_damaged_file(ctx, code, kKindMargin, path, main_read);
      if (!unwritten.empty()) ctx.set_write_error(unwritten);
      if (stopped()) return;
    }
  }
}

}  // namespace karigane
