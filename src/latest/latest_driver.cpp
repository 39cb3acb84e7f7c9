// The latest-day driver: see latest_driver.h.
#include "latest/latest_driver.h"

#include <cstdio>

#include "core/file_store.h"
#include "latest/latest_files.h"
#include "latest/search_retrieval.h"
#include "latest/stock_list_renewal.h"

namespace karigane {
namespace {

// A stock that one of the two list views did not show has only half a row; it is left out of
// the latest-day file and the update (the stock list and the run's targets keep it) and
// counted as a failure.
void leave_out_incomplete_rows(run_context& ctx, data_d_table_t& table) {
  const std::size_t n = data_d_count(table);
  std::size_t m = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    const std::string missing = missing_price_fields(table[k]);
    if (!missing.empty()) {
      ctx.failures.add({table[k][kDCode], kKindLatest, "",
                        "検索結果に欠けている項目があります（" + missing + "）"});
      continue;
    }
    ++m;
    if (m != k) table[m] = std::move(table[k]);
  }
  table.resize(m + 1);
  table[0][kDMarket] = num_text(static_cast<std::int64_t>(m));
}

}  // namespace

void dl_data_d_sub(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                   std::string& error_msg_s) {
  data_d_table_t table(1);
  if (ctx.stop_flag()) return;
  ctx.pump();
  higoto_kabuka_download_sub(ctx, code_list, table, error_flag_s, error_msg_s);
}

std::string latest_day_file_name(const std::string& latest_trade_date, const local_time& now,
                                 bool* intraday) {
  const bool during_day = val(latest_trade_date) == val(yyyymmdd(now.day)) && now.hour < 16;
  if (intraday) *intraday = during_day;
  if (!during_day) return latest_trade_date + ".csv";
  char minute[8];
  std::snprintf(minute, sizeof minute, "%02d", now.minute);
  return latest_trade_date + "_" + std::to_string(now.hour) + minute + ".csv";
}

void higoto_kabuka_download_sub(run_context& ctx, code_list_t& code_list, data_d_table_t& table,
                                std::int16_t& error_flag_s, std::string& error_msg_s) {
  if (ctx.stop_flag()) return;
  dl_yh_data_d_d2_sub(ctx, code_list, table, error_flag_s, error_msg_s);
  if (error_flag_s != 0 || ctx.stop_flag()) return;
  renew_meigara_list_sub(ctx, table);
  // A stock list that could not be written ends the run as a failure of this driver.
  auto run_error = [&] {
    if (!ctx.has_run_error()) return false;
    error_flag_s = kTrue;
    error_msg_s = ctx.run_error();
    return true;
  };
  if (run_error() || ctx.stop_flag()) return;

  const std::size_t n = data_d_count(table);
  code_list.assign(1, trim(table[0][kDMarket]));
  for (std::size_t k = 1; k <= n; ++k) code_list.push_back(table[k][kDCode]);
  leave_out_incomplete_rows(ctx, table);

  if (!ctx.controls.out1_data_d_chk) return;
  const settei_record& settei = ctx.settei;
  for (const std::string& folder : {settei.kabuka_path, settei.kabuka_path + settei.data_d_name}) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }
  if (run_error()) return;

  const local_time now = ctx.now();
  const std::string latest = table[0][kDCode];
  bool intraday = false;
  const std::string name = latest_day_file_name(latest, now, &intraday);
  if (!intraday) {
    for (std::size_t k = 1; k <= data_d_count(table); ++k) {
      ctx.pump();
      data_d_record& r = table[k];
      if (val(left(r[kDTradeDate], 8)) != val(latest)) {
        r[kDOpen] = r[kDHigh] = r[kDLow] = r[kDVolume] = "---";
      }
    }
  }
  if (val(latest) < 19830101 || val(table[0][kDMarket]) <= 0) {
    ctx.set_label1("情報が収集できませんでした。", label_colour::red);
    return;
  }
  const std::string path = settei.kabuka_path + settei.data_d_name + "/" + name;
  const std::int16_t written =
      intraday ? write_data_d2_file_sub(path, table) : write_data_d1_file_sub(path, table);
  if (written != 0) {
    ctx.set_label1("日毎株価を書込めませんでした。", label_colour::red);
    ctx.set_write_error(path);
    run_error();
  } else {
    ctx.set_label1("最新日株価をダウンロードしました。", label_colour::blue);
    ctx.set_label4("", label_colour::blue);
  }
}

}  // namespace karigane
