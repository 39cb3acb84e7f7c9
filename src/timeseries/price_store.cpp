// Storing a stock's fetched prices and splits: see price_store.h.
#include "timeseries/price_store.h"

#include "core/damaged_file.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

const char* prices_label() { return kind_of(kind_id::prices).name; }

// A merge that did not write: its stored file is reported, or its write ends the run.
void report_merge(run_context& ctx, const std::string& code, const char* label,
                  const std::string& path, const status& merged) {
  if (merged.unusable()) {
    report_damaged_file(ctx, code, label, path, merged);
  } else if (!merged) {
    ctx.set_write_error(path);
  }
}

// Yearly copies: the main file was reported above when it could not be read; a yearly file
// that cannot be written ends the run.
void report_yearly(run_context& ctx, const std::string& code, const char* label,
                   const std::string& main_path, const yearly_copies& copies) {
  if (copies.main_read.unusable())
    report_damaged_file(ctx, code, label, main_path, copies.main_read);
  if (!copies.unwritten.empty()) ctx.set_write_error(copies.unwritten);
}

}  // namespace

status store_price_rows(run_context& ctx, const program_layout& layout, const std::string& code,
                        price_rows& rows, bool yearly) {
  auto stopped = [&] {
    ctx.pump();
    return ctx.run_interrupted();
  };
  if (stopped()) return interrupted_status(ctx);
  if (split_count(rows.splits) > 0) {
    const std::string path = layout.split_file(code);
    report_merge(ctx, code, kSplitsLabel, path,
                 merge_into_dated_file(path, rows.splits, kSplitFile));
  }
  if (stopped()) return interrupted_status(ctx);
  if (price_count(rows.prices) > 0) {
    const std::string path = layout.price_file(code);
    report_merge(ctx, code, prices_label(), path,
                 merge_into_dated_file(path, rows.prices, kPriceFile));
  }
  if (stopped()) return interrupted_status(ctx);
  if (!yearly) return status::ok;
  report_yearly(ctx, code, prices_label(), layout.price_file(code),
                write_yearly_copies(
                    layout.price_file(code), rows.prices, kPriceFile,
                    [&](const std::string& year) { return layout.yearly_price_file(year, code); }));
  if (stopped()) return interrupted_status(ctx);
  report_yearly(ctx, code, kSplitsLabel, layout.split_file(code),
                write_yearly_copies(
                    layout.split_file(code), rows.splits, kSplitFile,
                    [&](const std::string& year) { return layout.yearly_split_file(year, code); }));
  if (stopped()) return interrupted_status(ctx);
  return status::ok;
}

}  // namespace karigane
