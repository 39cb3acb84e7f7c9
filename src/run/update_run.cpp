// The update run: see update_run.h.
#include "run/update_run.h"

#include <optional>
#include <unordered_set>
#include <vector>

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/text.h"
#include "kinds/data_kinds.h"
#include "latest/latest_collection.h"
#include "run/settings.h"
#include "run/source_choice.h"
#include "run/update_catch_up.h"
#include "timeseries/latest_day_merge.h"

namespace karigane {
namespace {

// The code of a time-series file name "NNNN.csv", but for 0NNN and 9999.
std::optional<std::string> code_of_file(const std::string& name) {
  std::optional<std::string> code = stock_code_of_file(name);
  if (!code || code->front() == '0' || *code == "9999") return std::nullopt;
  return code;
}

}  // namespace

run_ending update(run_context& ctx, const update_request& request) {
  begin_button_run(ctx);
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  const program_settings settings = read_settings(ctx.program_folder, ctx.factory_folder, &ctx);
  const program_layout& layout = settings.layout;
  ctx.pump();
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  ctx.set_controls_sub(false);
  const std::unique_ptr<kind_sources> sources = make_sources(settings, request.source);

  std::vector<std::string> codes;
  std::unordered_set<std::string> known;
  const std::string series_folder = layout.price_folder();
  file_status listed;
  for (const std::string& name : list_files(series_folder, &listed)) {
    ctx.pump();
    if (ctx.stop_flag()) break;
    if (std::optional<std::string> code = code_of_file(name)) {
      known.insert(*code);
      codes.push_back(std::move(*code));
    }
  }
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  // A folder that cannot be listed is not an empty one.
  if (!listed && !listed.missing()) report_unlisted_folder(ctx, kUpdateLabel, series_folder, listed);
  if (const std::string newest_year = newest_year_folder(layout); !newest_year.empty()) {
    for (const std::string& name : list_files(layout.yearly_price_folder(newest_year))) {
      ctx.pump();
      const std::optional<std::string> code = code_of_file(name);
      if (code && known.insert(*code).second) codes.push_back(*code);
    }
  }
  ctx.pump();
  if (codes.empty()) {
    ctx.set_label1("収集されている時系列株価はありません。", label_colour::blue);
    ctx.set_controls_sub(true);
    ctx.set_stop_flag(true);
    return run_ending::completed;
  }

  data_d_table_t table(1);
  const status latest =
      collect_latest_day(ctx, layout, sources->latest(), codes, request.latest_file, table);
  // A page wait cut short by a stop is the stop's ending, not a failed retrieval.
  if (!latest && latest != status::stopped && !ctx.stop_flag()) {
    ctx.set_label1(latest.message(), label_colour::red);
    ctx.set_controls_sub(true);
    ctx.set_stop_flag(true);
    return run_ending::error;
  }
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return run_ending::aborted;
  }
  ctx.pump();
  settle_series_gaps(ctx, settings, *sources, table, request.catch_up);
  merge_latest_day(ctx, layout, table);
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
