// The update run: see update_run.h.
#include "latest/update_run.h"

#include <algorithm>
#include <unordered_map>

#include "app/settings.h"
#include "core/folders.h"
#include "latest/latest_driver.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

// The code of a time-series file name "NNNN.csv", when its value lies in 1000..9998.
bool code_of_file(const std::string& name, std::string& code) {
  if (name.size() < 4) return false;
  const double v = val(name.substr(0, name.size() - 4));
  if (v < 1000 || v >= 9999) return false;
  code = trim(left(name, 4));
  return true;
}

// Puts the latest day's row of a stock into its price table: the row of that day is replaced,
// a newer day is appended, an older day that is missing is inserted in date order.
void put_latest_row(jikeiretu_data_t& t, const std::string& latest, const data_d_record& r) {
  const std::size_t n = std::min(price_count(t), t.size() - 1);
  t.resize(n + 1);
  const jikeiretu_row row{latest, r[kDOpen], r[kDHigh], r[kDLow], r[kDClose], r[kDVolume], ""};
  const double day = val(latest);
  std::size_t at = n + 1;
  while (at > 1 && val(t[at - 1][0]) > day) --at;
  if (at > 1 && val(t[at - 1][0]) == day) {
    t[at - 1] = row;
    return;
  }
  t.insert(t.begin() + static_cast<std::ptrdiff_t>(at), row);
  t[0][kPriceCount] = num_text(static_cast<std::int64_t>(n + 1));
  t[0][kPriceOldest] = t[1][0];
  t[0][kPriceNewest] = t[n + 1][0];
}

// One folder's pass: every stock file whose code the table holds gets the latest day.
void update_folder(run_context& ctx, const std::string& folder, const data_d_table_t& table,
                   const std::unordered_map<std::int64_t, std::size_t>& rows) {
  bool listed = false;
  const std::vector<std::string> files = list_files(folder, &listed);
  if (!listed) return;
  const std::string& latest = table[0][kDCode];
  for (const std::string& name : files) {
    ctx.pump();
    if (ctx.stop_flag()) return;
    const double v = val(left(name, 4));
    if (v < 1000 || v > 9999) continue;
    jikeiretu_data_t t;
    const std::string path = folder + name;
    if (read_jikeiretu_asc_sub(path, t) != read_result::ok) continue;
    const auto it = rows.find(int_value(t[0][kPriceCode]));
    if (it == rows.end() || val(t[0][kPriceCode]) != static_cast<double>(it->first)) continue;
    put_latest_row(t, latest, table[it->second]);
    write_jikeiretu_asc_sub(path, t);
  }
}

}  // namespace

void add_data_d_to_data_m_sub(run_context& ctx, const data_d_table_t& table) {
  if (ctx.stop_flag() || table.empty()) return;
  const std::size_t n = data_d_count(table);
  std::unordered_map<std::int64_t, std::size_t> rows;
  for (std::size_t k = 1; k <= n; ++k) rows.emplace(int_value(table[k][kDCode]), k);
  const settei_record& s = ctx.settei;
  update_folder(ctx, s.kabuka_path + s.data_m_name + "/", table, rows);
  if (ctx.stop_flag()) return;
  update_folder(ctx, s.kabuka_path + left(table[0][kDCode], 4) + "/" + s.data_m_name + "/",
                table, rows);
}

run_ending renew_start_cmd_Click(run_context& ctx) {
  ctx.set_stop_flag(false);
  ctx.set_label1("", label_colour::blue);
  ctx.pump();
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
  bool listed = false;
  for (const std::string& name : list_files(s.kabuka_path + s.data_m_name + "/", &listed)) {
    ctx.pump();
    if (ctx.stop_flag()) break;
    std::string code;
    if (code_of_file(name, code)) codes.push_back(code);
  }
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  std::string newest_year;
  for (const std::string& folder : list_subfolders(s.kabuka_path)) {
    const double v = val(folder);
    if (v > 1980 && v < 2050 && (newest_year.empty() || v > val(newest_year))) newest_year = folder;
  }
  if (!newest_year.empty()) {
    for (const std::string& name :
         list_files(s.kabuka_path + newest_year + "/" + s.data_m_name + "/")) {
      ctx.pump();
      std::string code;
      if (!code_of_file(name, code)) continue;
      const bool known = std::any_of(codes.begin() + 1, codes.end(), [&](const std::string& c) {
        return val(c) == val(code);
      });
      if (!known) codes.push_back(code);
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
  if (error_flag_s != 0) {
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
  add_data_d_to_data_m_sub(ctx, table);
  ctx.set_label1("更新処理を完了しました。", label_colour::blue);
  ctx.set_label4("", label_colour::blue);
  ctx.set_controls_sub(true);
  ctx.set_stop_flag(true);
  return run_ending::completed;
}

}  // namespace karigane
