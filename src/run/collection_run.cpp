// The collection run: see collection_run.h. Each kind runs only when the request asks for it;
// failures of the period check, the time-series and the margin step do not end the run,
// failures of the target selection, the latest-day and the financial step do.
#include "run/collection_run.h"

#include <string>
#include <vector>

#include "codes/targets.h"
#include "financial/statement_collection.h"
#include "latest/latest_collection.h"
#include "margin/margin_collection.h"
#include "run/period.h"
#include "run/settings.h"
#include "run/source_choice.h"
#include "timeseries/price_collection.h"

namespace karigane {
namespace {

collection_outcome aborted(run_context& ctx, collection_outcome outcome = {}) {
  abort_ending(ctx);
  outcome.ending = run_ending::aborted;
  return outcome;
}

collection_outcome failed(run_context& ctx, const std::string& message,
                          collection_outcome outcome = {}) {
  error_ending(ctx, message);
  outcome.ending = run_ending::error;
  return outcome;
}

// A period the check refused is a failure of the run, though the run goes on (the step still
// runs with the dates as they stand).
void note_refused_period(run_context& ctx, kind_id kind, const period_texts& texts,
                         const checked_period& checked) {
  ctx.failures.add({"", kind_of(kind).name, texts.text(), checked.outcome.message()});
  ctx.pump();
}

}  // namespace

collection_outcome collect(run_context& ctx, const collection_request& request) {
  begin_button_run(ctx);
  for (int i = 1; i <= 9000; ++i) {
    if (ctx.stop_flag()) return aborted(ctx);
    ctx.pump();
  }

  const program_settings settings = read_settings(ctx.program_folder, ctx.factory_folder, &ctx);
  const program_layout& layout = settings.layout;
  if (ctx.stop_flag()) return aborted(ctx);
  ctx.pump();
  ctx.set_controls_sub(false);
  const std::unique_ptr<kind_sources> sources = make_sources(settings, request.source);
  if (const status usable = sources->check(request.kinds); !usable) {
    return failed(ctx, usable.message());
  }

  target_selection targets = select_targets(ctx, layout, request.codes);
  collection_outcome outcome{run_ending::completed, targets.shown};
  if (ctx.stop_flag()) return aborted(ctx, outcome);
  if (!targets.outcome) return failed(ctx, targets.outcome.message(), outcome);
  std::vector<std::string> codes = std::move(targets.codes);
  // The time left counts the stocks of the ticked kinds' passes still to come.
  const auto plan_after = [&](kind_id step) {
    std::size_t passes = 0;
    for (const kind_id later : {kind_id::prices, kind_id::margin, kind_id::financial}) {
      if (later > step && request.kinds.has(later)) ++passes;
    }
    ctx.progress.set_later_items(passes * codes.size());
  };

  plan_after(kind_id::latest);
  if (request.kinds.has(kind_id::latest)) {
    data_d_table_t table;
    const status latest = collect_latest_day(ctx, layout, sources->latest(), codes, true, table);
    // A page wait cut short by a stop is the stop's ending, not a failed retrieval.
    if (!latest && latest != status::stopped && !ctx.stop_flag()) {
      return failed(ctx, latest.message(), outcome);
    }
  } else {
    codes = listed_targets(ctx, layout, codes, request.codes.mode == selection_mode::single);
  }
  if (ctx.has_run_error()) return failed(ctx, ctx.run_error(), outcome);
  if (ctx.stop_flag()) return aborted(ctx, outcome);
  ctx.pump();

  const checked_period checked = check_period(request.period, ctx.now().day);
  if (request.kinds.has(kind_id::prices)) {
    ctx.pump();
    if (!checked.outcome) note_refused_period(ctx, kind_id::prices, request.period, checked);
    if (ctx.stop_flag()) return aborted(ctx, outcome);
    ctx.pump();
    plan_after(kind_id::prices);
    const status step =
        collect_prices(ctx, layout, sources->prices(),
                       {codes, checked.period, request.since_stored, request.yearly, nullptr});
    if (ctx.has_run_error()) return failed(ctx, ctx.run_error(), outcome);
    if (!step) ctx.pump();
    if (ctx.stop_flag()) return aborted(ctx, outcome);
    ctx.pump();
  }

  if (request.kinds.has(kind_id::margin)) {
    ctx.pump();
    if (!checked.outcome) note_refused_period(ctx, kind_id::margin, request.period, checked);
    if (ctx.stop_flag()) return aborted(ctx, outcome);
    ctx.pump();
    plan_after(kind_id::margin);
    const status step =
        collect_margin(ctx, layout, sources->margin(),
                       {codes, checked.period, request.since_stored, request.yearly});
    if (ctx.has_run_error()) return failed(ctx, ctx.run_error(), outcome);
    if (!step) ctx.pump();
    if (ctx.stop_flag()) return aborted(ctx, outcome);
    ctx.pump();
  }

  if (request.kinds.has(kind_id::financial)) {
    plan_after(kind_id::financial);
    const status step = collect_statements(ctx, layout, sources->statements(), codes);
    if (ctx.has_run_error()) return failed(ctx, ctx.run_error(), outcome);
    // A stop inside the step comes back as its failure; it ends the run as a stop.
    if (!step && ctx.stop_flag()) return aborted(ctx, outcome);
    if (!step) return failed(ctx, step.message(), outcome);
    ctx.set_label3("", label_colour::blue);
    if (ctx.stop_flag()) return aborted(ctx, outcome);
    ctx.pump();
  }

  ctx.set_label1("収集処理を完了しました。", label_colour::blue);
  ctx.set_label4("", label_colour::blue);
  ctx.set_controls_sub(true);
  ctx.set_stop_flag(true);
  return outcome;
}

}  // namespace karigane
