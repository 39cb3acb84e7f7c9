// Margin balances from the quote site's pages: see quote_site_margin.h.
#include "sources/quote_site/quote_site_margin.h"

#include "core/kikan_list.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "sources/quote_site/margin_fetch.h"
#include "sources/quote_site/page_failure.h"

namespace karigane {
namespace {

constexpr int kWindowDays = 250;

}  // namespace

status quote_site_margin::collect_margin(run_context& ctx, const std::vector<std::string>& codes,
                                         margin_sink& sink) {
  const char* label = kind_of(kind_id::margin).name;
  return for_each_stock(ctx, label, codes, [&](std::size_t i) -> status {
    const std::string& code = codes[i];
    const stock_request request = sink.request_of(ctx, code);
    if (request.skipped) return status::ok;
    const kikan_list_t windows =
        request.period ? make_kikan_list(request.period->start, request.period->end, kWindowDays)
                       : kikan_list_t{kikan_row{"0", {}, {}}};
    credit_tbl_t weeks = empty_credit_table(code);
    for (std::size_t w = 1; w < windows.size(); ++w) {
      const kikan_row& window = windows[w];
      ctx.pump();
      if (ctx.run_interrupted()) return interrupted_status(ctx);
      ctx.pump();
      const std::string period = slash_text(window.start) + "～" + slash_text(window.end);
      ctx.set_label1(code + " " + period + " 信用売買残処理中", label_colour::blue);
      const status page = fetch_margin_window(ctx, site_, window, code, "", weeks);
      if (page.message() == kMobileMarginUnreadable) {
        ctx.set_label1(page.message(), label_colour::red);
      }
      note_page_outcome(ctx, code, label, period, page);
    }
    return sink.store(ctx, code, weeks);
  });
}

}  // namespace karigane
