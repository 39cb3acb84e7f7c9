// The margin step: see margin_collection.h.
#include "margin/margin_collection.h"

#include <optional>

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "margin/margin_files.h"

namespace karigane {
namespace {

class margin_storing : public margin_sink {
 public:
  margin_storing(const program_layout& layout, const margin_collection& request)
      : layout_(layout), request_(request) {}

  stock_request request_of(run_context& ctx, const std::string& code) override {
    const collection_period& run = request_.period;
    if (run.start.empty() || run.end.empty()) return {false, std::nullopt};
    if (!request_.since_stored) return {false, run};
    const std::string path = layout_.margin_file(code);
    std::optional<date> newest;
    const status stored = newest_stored_row(path, kCreditFileWidth, kCreditCount, newest);
    if (stored.unusable()) {
      report_damaged_file(ctx, code, label(), path, stored);
      return {true, std::nullopt};
    }
    return {false, weekly_continuation(run, newest, ctx.now().day)};
  }

  status store(run_context& ctx, const std::string& code, credit_tbl_t& weeks) override {
    auto stopped = [&] {
      ctx.pump();
      const bool interrupted = ctx.run_interrupted();
      if (!interrupted) ctx.pump();
      return interrupted;
    };
    if (stopped()) return interrupted_status(ctx);
    const std::string path = layout_.margin_file(code);
    if (credit_count(weeks) > 0) {
      const status merged = merge_into_dated_file(path, weeks, kMarginFile);
      if (merged.unusable()) {
        report_damaged_file(ctx, code, label(), path, merged);
      } else if (!merged) {
        ctx.set_write_error(path);
      }
    }
    if (stopped()) return interrupted_status(ctx);
    if (!request_.yearly) return status::ok;
    const yearly_copies copies = write_yearly_copies(
        path, weeks, kMarginFile,
        [&](const std::string& year) { return layout_.yearly_margin_file(year, code); });
    // Reported once: the merge above may have named the same file.
    if (copies.main_read.unusable())
      report_damaged_file(ctx, code, label(), path, copies.main_read);
    if (!copies.unwritten.empty()) ctx.set_write_error(copies.unwritten);
    if (stopped()) return interrupted_status(ctx);
    return status::ok;
  }

 private:
  static const char* label() { return kind_of(kind_id::margin).name; }

  const program_layout& layout_;
  const margin_collection& request_;
};

}  // namespace

status collect_margin(run_context& ctx, const program_layout& layout, margin_source& source,
                      const margin_collection& request) {
  ctx.set_label1("", label_colour::blue);
  for (const std::string& folder : {layout.database, layout.margin_folder()}) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }
  ctx.pump();
  if (ctx.run_interrupted()) return interrupted_status(ctx);
  margin_storing sink(layout, request);
  return source.collect_margin(ctx, request.codes, sink);
}

}  // namespace karigane
