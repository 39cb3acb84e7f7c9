// The update's gaps: see update_catch_up.h.
#include "run/update_catch_up.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/text.h"
#include "core/trading_days.h"
#include "kinds/data_kinds.h"
#include "latest/gap_record.h"
#include "latest/series_gaps.h"
#include "timeseries/price_collection.h"

namespace karigane {
namespace {

// Whether the newest year folder holds price files: the database is kept with "年毎".
bool keeps_yearly_prices(const program_layout& layout) {
  const std::string newest_year = newest_year_folder(layout);
  return !newest_year.empty() && !list_files(layout.yearly_price_folder(newest_year)).empty();
}

// Collects the missing days of the open gaps and drops from them those filled without any
// failure of their stock.
void fill_gaps(run_context& ctx, const program_layout& layout, price_source& source,
               gap_record_t& open, const date& latest) {
  std::vector<std::string> codes;
  std::map<std::string, date> first_days;
  date first = latest;
  for (const auto& [code, gap] : open) {
    codes.push_back(code);
    first_days[code] = add_days(gap.stored_through, 1);
    first = std::min(first, first_days[code]);
  }
  const std::size_t failures_before = ctx.failures.count();
  collect_prices(ctx, layout, source,
                 {codes, {first, latest}, false, keeps_yearly_prices(layout), &first_days});
  if (ctx.run_interrupted()) return;
  const std::vector<run_failure> failures = ctx.failures.list();
  std::unordered_set<std::string> failed;
  for (std::size_t i = failures_before; i < failures.size(); ++i) failed.insert(failures[i].code);
  std::erase_if(open, [&](const auto& entry) { return !failed.contains(entry.first); });
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

void settle_series_gaps(run_context& ctx, const program_settings& settings,
                        kind_sources& sources, const data_d_table_t& table, bool catch_up) {
  if (ctx.run_interrupted() || table.empty()) return;
  const std::optional<date> latest = parse_yyyymmdd(table[0][kDCode]);
  if (!latest) return;
  const program_layout& layout = settings.layout;

  gap_record_t noted;
  const std::string record_file = layout.gap_record_file();
  const status record_read = read_gap_record(layout, noted);
  if (record_read.unusable()) {
    report_unusable_file(ctx, "", kUpdateLabel, record_file, record_read,
                         damaged_file_message(record_file));
  }
  gap_record_t open = noted;
  // A noted series that is no longer stored has nothing to fill.
  std::erase_if(open, [&](const auto& e) { return !file_exists(layout.price_file(e.first)); });
  const auto market_days = [&] { return sources.latest().market_days(ctx); };
  for (const series_gap& g : find_series_gaps(ctx, layout, table, market_days)) {
    note_gap(open, g.code, g.newest, *latest);
  }
  if (ctx.run_interrupted()) return;

  // An unreadable record stays as it is: rewriting it would lose its notes.
  const bool writable = !record_read.unusable();
  if (catch_up && !open.empty()) {
    // The gaps are noted before they are filled: a run cut short in the fill (a kill, a stop, a
    // fault) may leave a series' main file current and its yearly files without the days, and
    // only the note makes the next catch-up fill that series again, yearly files and all.
    if (open != noted && writable) {
      if (!write_gap_record(layout, open)) {
        ctx.set_write_error(record_file);
        return;
      }
      noted = open;
    }
    fill_gaps(ctx, layout, sources.prices(), open, *latest);
    if (ctx.run_interrupted()) return;
  }
  if (open != noted && writable) {
    if (!write_gap_record(layout, open)) {
      ctx.set_write_error(record_file);
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
