// The collection run: see collection_run.h. Each data kind runs only when its check box is
// ticked; failures of the period check, the time-series and the margin driver do not end the
// run, failures of the target selection, the latest-day and the financial driver do.
#include "run/collection_run.h"

#include <string>

#include "run/period.h"
#include "run/settings.h"
#include "codes/targets.h"
#include "financial/financial_driver.h"
#include "latest/latest_driver.h"
#include "margin/margin_driver.h"
#include "timeseries/history_fetch.h"
#include "timeseries/timeseries_driver.h"

namespace karigane {

namespace {

run_ending aborted(run_context& ctx) {
  abort_ending(ctx);
  return run_ending::aborted;
}

run_ending failed(run_context& ctx, const std::string& message) {
  error_ending(ctx, message);
  return run_ending::error;
}

// A period the check refused is a failure of the run, though the run goes on (the driver
// still runs with the dates as they stand).
void note_refused_period(run_context& ctx, const char* kind, const std::string& message) {
  const control_values& c = ctx.controls;
  ctx.failures.add({"", kind,
                    c.yyyy_start_cmb + "/" + c.mm_start_cmb + "/" + c.dd_start_cmb + "～" +
                        c.yyyy_end_cmb + "/" + c.mm_end_cmb + "/" + c.dd_end_cmb,
                    message});
}

}  // namespace

run_ending m_dl_start_cmd_Click(run_context& ctx) {
  std::int16_t error_flag_s = kFalse;
  std::string error_msg_s;
  begin_button_run(ctx);

  code_list_t code_list(1, "0");
  for (int i = 1; i <= 9000; ++i) {
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
  }

  read_settei_sub(ctx, ctx.settei);
  if (ctx.stop_flag()) return aborted(ctx);
  ctx.pump();
  ctx.set_controls_sub(false);
  if (ctx.controls.out1_jikeiretu_chk && !known_history_page_form(ctx.settei.jikeiretu_site)) {
    // A page form without pages would make every fetch fail; say so before anything runs.
    return failed(ctx, "設定ファイルの時系列株価取得サイト「" + ctx.settei.jikeiretu_site +
                           "」は使えません。「新」か「Ｍ」を指定してください。");
  }

  code_set1_sub(ctx, code_list, error_flag_s, error_msg_s);
  if (ctx.stop_flag()) return aborted(ctx);
  if (error_flag_s) return failed(ctx, error_msg_s);

  if (ctx.controls.out1_data_d_chk) {
    dl_data_d_sub(ctx, code_list, error_flag_s, error_msg_s);
    // A page wait cut short by a stop is the stop's ending, not a failed retrieval.
    if (error_flag_s && !ctx.stop_flag()) return failed(ctx, error_msg_s);
  } else {
    effective_code_sub(ctx, code_list);
  }
  if (ctx.has_run_error()) return failed(ctx, ctx.run_error());
  if (ctx.stop_flag()) return aborted(ctx);
  ctx.pump();

  date start_date;
  date end_date;
  if (ctx.controls.out1_jikeiretu_chk) {
    kikan_check_sub(ctx, start_date, end_date, error_flag_s, error_msg_s);
    if (error_flag_s) note_refused_period(ctx, kKindPrices, error_msg_s);
    if (error_flag_s) ctx.pump();
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
    dl_jikeiretudata_sub(ctx, code_list, start_date, end_date, error_flag_s, error_msg_s);
    if (ctx.has_run_error()) return failed(ctx, ctx.run_error());
    if (error_flag_s) ctx.pump();
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
  }

  if (ctx.controls.out1_shinyou_chk) {
    kikan_check_sub(ctx, start_date, end_date, error_flag_s, error_msg_s);
    if (error_flag_s) note_refused_period(ctx, kKindMargin, error_msg_s);
    if (error_flag_s) ctx.pump();
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
    dl_data_c_sub(ctx, code_list, start_date, end_date, error_flag_s, error_msg_s);
    if (ctx.has_run_error()) return failed(ctx, ctx.run_error());
    if (error_flag_s) ctx.pump();
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
  }

  if (ctx.controls.out1_data_z_chk) {
    dl_data_z_sub(ctx, code_list, error_flag_s, error_msg_s);
    if (ctx.has_run_error()) return failed(ctx, ctx.run_error());
    // A stop inside the driver comes back as its failure; it ends the run as a stop.
    if (error_flag_s && ctx.stop_flag()) return aborted(ctx);
    if (error_flag_s) return failed(ctx, error_msg_s);
    ctx.set_label3("", label_colour::blue);
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
  }

  ctx.set_label1("収集処理を完了しました。", label_colour::blue);
  ctx.set_label4("", label_colour::blue);
  ctx.set_controls_sub(true);
  ctx.set_stop_flag(true);
  return run_ending::completed;
}

}  // namespace karigane
