// Fetching one margin page: see margin_fetch.h.
#include "sources/quote_site/margin_fetch.h"

#include "core/text.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "sources/quote_site/margin_history_extractor.h"
#include "sources/quote_site/old_table_extractor.h"
#include "sources/quote_site/quote_addresses.h"

namespace karigane {
namespace {

constexpr const char* kOldForm = "旧";
constexpr const char* kNewForm = "新";
constexpr const char* kMobileForm = "Ｍ";

}  // namespace

std::string margin_page_url(const quote_site_settings& site, const std::string& code,
                            const std::string& market_suffix, const kikan_row& window) {
  const std::string site_code = margin_site_code(code);
  const std::string from = slash_text(window.start);
  const std::string to = slash_text(window.end);
  const std::string y1 = from.substr(0, 4), m1 = from.substr(5, 2), d1 = from.substr(8, 2);
  const std::string y2 = to.substr(0, 4), m2 = to.substr(5, 2), d2 = to.substr(8, 2);
  const std::string& form = site.margin_form;
  if (form == kOldForm) {
    return old_table_url(site, "c=" + y1 + "&a=" + m1 + "&b=" + d1 + "&f=" + y2 + "&d=" + m2 +
                                   "&e=" + d2 + "&g=d&s=" + site_code + "&y=0&z=" + site_code);
  }
  if (form == kNewForm) {
    return margin_history_url(site, "code=" + site_code + "&sy=" + y1 + "&sm=" + m1 + "&sd=" + d1 +
                                        "&ey=" + y2 + "&em=" + m2 + "&ed=" + d2 + "&tm=d");
  }
  if (form == kMobileForm) {
    return mobile_margin_url(site, "code=" + site_code + "." + market_suffix + "&fy=" + y1 +
                                       "&fm=" + m1 + "&fd=" + d1 + "&ty=" + y2 + "&tm=" + m2 +
                                       "&td=" + d2);
  }
  return {};
}

status fetch_margin_window(run_context& ctx, const quote_site_settings& site,
                           const kikan_row& window, const std::string& code,
                           const std::string& market_suffix, credit_tbl_t& credit_tbl) {
  const std::string& form = site.margin_form;
  const std::string url = margin_page_url(site, code, market_suffix, window);
  bool old_page_without_data = false;
  const status outcome =
      fetch_checked_page(ctx, site.connection, url, 5, [&](const std::string& page) {
        if (form == kOldForm) {
          old_page_without_data = contains(page, kOldTableNoDataText);
          return read_old_margin_table(ctx, page, window, true, credit_tbl);
        }
        if (form == kNewForm) return read_margin_history_page(ctx, page, window, true, credit_tbl);
        // Nothing reads the mobile page: one fetch, and the window counts as failed.
        return page_reading{page_verdict::accepted, status::failure(kMobileMarginUnreadable)};
      });
  // The old table page answers a window without a week with its no-data text, which its check
  // refuses until the budget is spent: the window has no data, it did not fail.
  if (outcome == status::failed && old_page_without_data && !ctx.run_interrupted()) {
    return status(status::missing, std::string("error b01:") + kOldTableNoDataText + "。");
  }
  return outcome;
}

}  // namespace karigane
