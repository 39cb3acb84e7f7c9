// Prices from the quote site's history pages: see quote_site_prices.h.
#include "sources/quote_site/quote_site_prices.h"

#include "core/kikan_list.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "sources/quote_site/history_fetch.h"
#include "sources/quote_site/page_failure.h"
#include "sources/quote_site/page_retrieval.h"
#include "sources/quote_site/quote_addresses.h"

namespace karigane {
namespace {

constexpr const char* kMobileForm = "Ｍ";
constexpr int kWindowDays = 50;

// Before the windows of a stock in the mobile form the site is asked for one fixed history
// page first, as a warm-up; the page and any failure are discarded.
void warm_up(run_context& ctx, const quote_site_settings& site) {
  retrieve_page(ctx, site.connection,
                history_page_url(site, "code=1301&sy=2013&sm=1&sd=1&ey=2013&em=1&ed=15&tm=d"));
}

}  // namespace

status quote_site_prices::collect_prices(run_context& ctx, const std::vector<price_target>& targets,
                                         price_sink& sink) {
  const char* label = kind_of(kind_id::prices).name;
  std::vector<std::string> codes;
  codes.reserve(targets.size());
  for (const price_target& t : targets) codes.push_back(t.code);
  return for_each_stock(ctx, label, codes, [&](std::size_t i) -> status {
    const price_target& target = targets[i];
    const std::string& code = target.code;
    ctx.pump();
    const stock_request request = sink.request_of(ctx, target);
    if (request.skipped) return status::ok;
    const kikan_list_t windows =
        request.period ? make_kikan_list(request.period->start, request.period->end, kWindowDays)
                       : kikan_list_t{kikan_row{"0", {}, {}}};
    price_rows rows = empty_price_rows(code);
    // A stock whose stored rows are current asks for nothing, not even the warm-up.
    if (windows.size() > 1 &&
        (site_.history_form == kMobileForm || site_.margin_form == kMobileForm)) {
      warm_up(ctx, site_);
    }
    rows.prices[0][kPriceMarket] = target.market_name;
    for (std::size_t w = 1; w < windows.size(); ++w) {
      const kikan_row& window = windows[w];
      ctx.pump();
      if (ctx.run_interrupted()) return interrupted_status(ctx);
      ctx.pump();
      const std::string period = slash_text(window.start) + "～" + slash_text(window.end);
      ctx.set_label1(code + " " + period + " 時系列株価処理中", label_colour::blue);
      ctx.pump();
      const status page =
          fetch_history_window(ctx, site_, window, code, target.market_letter, rows);
      note_page_outcome(ctx, code, label, period, page);
    }
    if (ctx.run_interrupted()) return interrupted_status(ctx);
    return sink.store(ctx, code, rows);
  });
}

}  // namespace karigane
