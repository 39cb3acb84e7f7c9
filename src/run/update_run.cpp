// The update run: see update_run.h.
#include "run/update_run.h"

#include <optional>
#include <unordered_set>

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/stock_file_name.h"
#include "core/text.h"
#include "latest/data_m_update.h"
#include "latest/latest_driver.h"
#include "run/settings.h"
#include "run/update_catch_up.h"

namespace karigane {
namespace {

// The code of a time-series file name "NNNN.csv" whose value lies in 1000..9998.
std::optional<int> code_of_file(const std::string& name) {
  const std::optional<int> code = stock_file_code(name);
  if (!code || *code < 1000 || *code >= 9999) return std::nullopt;
  return code;
}

}  // namespace

run_ending renew_start_cmd_Click(run_context& ctx) {
  begin_button_run(ctx);
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  read_settei_sub(ctx, ctx.settei);
  ctx.pump();
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  ctx.set_controls_sub(false);
  const settei_record& s = ctx.settei;

  code_list_t codes(1, "0");
  std::unordered_set<int> known;  // the codes' values
  const std::string series_folder = s.kabuka_path + s.data_m_name + "/";
  file_status listed;
  for (const std::string& name : list_files(series_folder, &listed)) {
    ctx.pump();
    if (ctx.stop_flag()) break;
    if (const std::optional<int> code = code_of_file(name)) {
      codes.push_back(std::to_string(*code));
      known.insert(*code);
    }
  }
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  // A folder that cannot be listed is not an empty one.
  if (!listed && !listed.missing()) report_unlisted_folder(ctx, kKindUpdate, series_folder, listed);
  std::string newest_year;
  for (const std::string& folder : list_subfolders(s.kabuka_path)) {
    const double v = val(folder);
    if (v > 1980 && v < 2050 && (newest_year.empty() || v > val(newest_year))) newest_year = folder;
  }
  if (!newest_year.empty()) {
    for (const std::string& name :
         list_files(s.kabuka_path + newest_year + "/" + s.data_m_name + "/")) {
      ctx.pump();
      const std::optional<int> code = code_of_file(name);
      if (code && known.insert(*code).second) codes.push_back(std::to_string(*code));
    }
  }
  codes[0] = num_text(static_cast<std::int64_t>(codes.size() - 1));
  ctx.pump();
  if (codes.size() == 1) {
    ctx.set_label1("収集されている時系列株価はありません。", label_colour::blue);
    ctx.set_controls_sub(true);
    ctx.set_stop_flag(true);
    return run_ending::completed;
  }

  data_d_table_t table(1);
  std::int16_t error_flag_s = kFalse;
  std::string error_msg_s;
  higoto_kabuka_download_sub(ctx, codes, table, error_flag_s, error_msg_s);
  // A page wait cut short by a stop is the stop's ending, not a failed retrieval.
  if (error_flag_s != 0 && !ctx.stop_flag()) {
    ctx.set_label1(error_msg_s, label_colour::red);
    ctx.set_controls_sub(true);
    ctx.set_stop_flag(true);
    return run_ending::error;
  }
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  ctx.pump();
  settle_series_gaps(ctx, table);
  add_data_d_to_data_m_sub(ctx, table);
  if (ctx.has_run_error()) {
    error_ending(ctx, ctx.run_error());
    return run_ending::error;
  }
  // A stop during the merge leaves the files in hand complete and the rest as they were: the
  // update did not complete.
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  ctx.set_label1("更新処理を完了しました。", label_colour::blue);
  ctx.set_label4("", label_colour::blue);
  ctx.set_controls_sub(true);
  ctx.set_stop_flag(true);
  return run_ending::completed;
}

}  // namespace karigane
