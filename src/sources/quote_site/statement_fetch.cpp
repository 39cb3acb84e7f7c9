// Fetching one statement page: see statement_fetch.h.
#include "sources/quote_site/statement_fetch.h"

#include "core/stock_code.h"
#include "core/text.h"
#include "kinds/stock_pass.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "sources/quote_site/quote_addresses.h"
#include "sources/quote_site/statement_page_extractor.h"
#include "sources/quote_site/statement_pages.h"

namespace karigane {

status fetch_statement_page(run_context& ctx, const quote_site_settings& site,
                            const std::string& code, const std::string& kind,
                            zaimu_tbl_t& zaimu_tbl) {
  if (compare_codes(code, "1301") < 0) return status::failure(kNoCompanyInformation);
  // Only the header survives from the previous page: a cell this page lacks stays empty
  // instead of showing another stock's figure.
  zaimu_tbl = empty_zaimu_table(code);
  const statement_shape* shape = statement_shape_of(kind);
  const std::string url = shape == nullptr
                              ? std::string()
                              : profile_page_url(site, std::string(shape->page_path), code);
  const status page =
      fetch_checked_page(ctx, site.connection, url, 3, [&](const std::string& text) {
        return read_statement_page(ctx, kind, text, true, zaimu_tbl);
      });
  if (!page.is_ok() && page != status::stopped && !ctx.stop_flag()) return page;
  if (ctx.stop_flag()) return status(status::stopped, kInterruptedText);
  ctx.pump();
  return page;
}

}  // namespace karigane
