// The update's gaps: see update_catch_up.h.
#include "run/update_catch_up.h"

#include <algorithm>
#include <unordered_set>

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/text.h"
#include "core/trading_days.h"
#include "latest/gap_record.h"
#include "latest/series_gaps.h"
#include "timeseries/price_files.h"
#include "timeseries/timeseries_driver.h"

namespace karigane {
namespace {

// Whether the newest year folder holds price files: the database is kept with "年毎".
bool keeps_yearly_prices(const settei_record& s) {
  std::string newest_year;
  for (const std::string& folder : list_subfolders(s.kabuka_path)) {
    const double v = val(folder);
    if (v > 1980 && v < 2050 && (newest_year.empty() || v > val(newest_year))) newest_year = folder;
  }
  return !newest_year.empty() &&
         !list_files(s.kabuka_path + newest_year + "/" + s.data_m_name + "/").empty();
}

// Collects the missing days of the open gaps and drops from them those filled without any
// failure of their stock.
void fill_gaps(run_context& ctx, gap_record_t& open, const date& latest) {
  code_list_t codes(1);
  first_days_t first_days;
  date first = latest;
  for (const auto& [code, gap] : open) {
    codes.push_back(code);
    first_days[code] = add_days(gap.stored_through, 1);
    first = std::min(first, first_days[code]);
  }
  codes[0] = num_text(static_cast<std::int64_t>(codes.size() - 1));
  const std::size_t failures_before = ctx.failures.count();
  const bool yearly = ctx.controls.out1_nengoto_chk;
  ctx.controls.out1_nengoto_chk = keeps_yearly_prices(ctx.settei);
  std::int16_t error_flag_s = kFalse;
  std::string error_msg_s;
  dl_jikeiretudata_sub(ctx, codes, first, latest, error_flag_s, error_msg_s, &first_days);
  ctx.controls.out1_nengoto_chk = yearly;
  if (ctx.run_interrupted()) return;
  const std::vector<run_failure> failures = ctx.failures.list();
  std::unordered_set<std::string> failed;
  for (std::size_t i = failures_before; i < failures.size(); ++i) failed.insert(failures[i].code);
  std::erase_if(open, [&](const auto& entry) { return !failed.contains(entry.first); });
}

// A folder as a shell word.
std::string shell_word(std::string text) {
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '/' || c == '.' || c == '_' || c == '-' || c == '+';
  });
  if (plain) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The warning of `count` series with gaps: the count, the oldest missing day and the command
// that fills them.
std::string series_gap_warning(std::size_t count, const date& first_missing,
                               const std::string& program_folder) {
  return "時系列株価 " + std::to_string(count) + "件に欠けている取引日があります（" +
         slash_text(first_missing) + " から）。埋めるには: karigane --dir " +
         shell_word(program_folder) + " update --catch-up";
}

}  // namespace

void settle_series_gaps(run_context& ctx, const data_d_table_t& table) {
  if (ctx.run_interrupted() || table.empty()) return;
  const std::optional<date> latest = parse_yyyymmdd(table[0][kDCode]);
  if (!latest) return;
  const settei_record& s = ctx.settei;

  gap_record_t noted;
  const read_result record_read = read_gap_record(s, noted);
  if (record_read.unusable()) {
    report_unusable_file(ctx, "", kKindUpdate, gap_record_path(s), record_read,
                         damaged_file_message(gap_record_path(s)));
  }
  gap_record_t open = noted;
  // A noted series that is no longer stored has nothing to fill.
  std::erase_if(open, [&](const auto& e) { return !file_exists(price_file_path(s, e.first)); });
  for (const series_gap& g : find_series_gaps(ctx, table)) {
    note_gap(open, g.code, g.newest, *latest);
  }
  if (ctx.run_interrupted()) return;

  // An unreadable record stays as it is: rewriting it would lose its notes.
  const bool writable = !record_read.unusable();
  if (ctx.controls.out1_tuzuki_chk && !open.empty()) {
    // The gaps are noted before they are filled: a run cut short in the fill (a kill, a stop, a
    // fault) may leave a series' main file current and its yearly files without the days, and
    // only the note makes the next catch-up fill that series again, yearly files and all.
    if (open != noted && writable) {
      if (!write_gap_record(s, open)) {
        ctx.set_write_error(gap_record_path(s));
        return;
      }
      noted = open;
    }
    fill_gaps(ctx, open, *latest);
    if (ctx.run_interrupted()) return;
  }
  if (open != noted && writable) {
    if (!write_gap_record(s, open)) {
      ctx.set_write_error(gap_record_path(s));
      return;
    }
  }
  if (open.empty()) return;
  date first_missing = *latest;
  for (const auto& entry : open) {
    first_missing = std::min(first_missing, add_days(entry.second.stored_through, 1));
  }
  while (first_missing < *latest && !rule_trading_day(first_missing)) {
    first_missing = add_days(first_missing, 1);
  }
  ctx.warn(series_gap_warning(open.size(), first_missing, ctx.program_folder));
}

}  // namespace karigane
