// The time-series step: see price_collection.h.
#include "timeseries/price_collection.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "codes/stock_list.h"
#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/stock_code.h"
#include "core/text.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "timeseries/price_files.h"
#include "timeseries/price_store.h"

namespace karigane {
namespace {

// The market letter goes into page addresses after the code: letters only.
std::string letters_only(const std::string& m) {
  const bool letters = std::all_of(
      m.begin(), m.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
  return letters ? m : std::string();
}

// The targets with the market of their first stock-list entry.
std::vector<price_target> targets_of(run_context& ctx, const program_layout& layout,
                                     const std::vector<std::string>& codes) {
  stock_list list;
  read_stock_list(ctx, layout, list);
  std::unordered_map<std::string, const stock_entry*> entries;
  for (const stock_entry& e : list.entries) {
    const std::string code = trim(e.code);
    if (is_stock_code(code)) entries.emplace(code, &e);
  }
  std::vector<price_target> targets;
  targets.reserve(codes.size());
  for (const std::string& code : codes) {
    price_target t{code, {}, {}};
    if (const auto it = entries.find(code); it != entries.end()) {
      t.market_name = it->second->market_name;
      t.market_letter = letters_only(it->second->market_letter);
    }
    targets.push_back(std::move(t));
  }
  return targets;
}

class price_storing : public price_sink {
 public:
  price_storing(const program_layout& layout, const price_collection& request)
      : layout_(layout), request_(request) {}

  stock_request request_of(run_context& ctx, const price_target& target) override {
    const collection_period& run = request_.period;
    if (run.start.empty() || run.end.empty()) return {false, run};
    if (request_.first_days != nullptr) {
      const auto it = request_.first_days->find(target.code);
      if (it == request_.first_days->end()) return {false, run};
      return {false, collection_period{std::max(run.start, it->second), run.end}};
    }
    if (!request_.since_stored) return {false, run};
    const std::string path = layout_.price_file(target.code);
    std::optional<date> newest;
    const status stored = newest_stored_row(path, kPriceFileWidth, kPriceCount, newest);
    if (stored.unusable()) {
      report_damaged_file(ctx, target.code, kind_of(kind_id::prices).name, path, stored);
      return {true, std::nullopt};
    }
    return {false, daily_continuation(run, newest, ctx.now())};
  }

  status store(run_context& ctx, const std::string& code, price_rows& rows) override {
    return store_price_rows(ctx, layout_, code, rows, request_.yearly);
  }

 private:
  const program_layout& layout_;
  const price_collection& request_;
};

}  // namespace

status collect_prices(run_context& ctx, const program_layout& layout, price_source& source,
                      const price_collection& request) {
  ctx.set_label1("", label_colour::blue);
  std::vector<price_target> targets = targets_of(ctx, layout, request.codes);
  ctx.pump();
  for (const std::string& folder :
       {layout.database, layout.price_folder(), layout.split_folder()}) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }
  if (ctx.run_interrupted()) return interrupted_status(ctx);
  price_storing sink(layout, request);
  return source.collect_prices(ctx, targets, sink);
}

}  // namespace karigane
