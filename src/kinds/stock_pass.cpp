// The walk over a pass's stocks: see stock_pass.h.
#include "kinds/stock_pass.h"

namespace karigane {

status interrupted_status(const run_context& ctx) {
  return status(status::stopped, ctx.has_run_error() ? ctx.run_error() : kInterruptedText);
}

status for_each_stock(run_context& ctx, const char* label, const std::vector<std::string>& codes,
                      const std::function<status(std::size_t)>& each) {
  ctx.progress.start_pass(label, kUnitStocks, codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    ctx.pump();
    if (ctx.run_interrupted()) return interrupted_status(ctx);
    ctx.progress.at_item(i + 1, codes[i]);
    if (const status s = each(i); s == status::stopped) return s;
  }
  return status::ok;
}

}  // namespace karigane
