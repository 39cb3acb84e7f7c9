// Fetching one margin page: see margin_fetch.h.
#include "margin/margin_fetch.h"

#include "core/text.h"
#include "fetch/checked_page_fetch.h"
#include "fetch/quote_addresses.h"
#include "margin/margin_history_extractor.h"
#include "margin/old_table_extractor.h"

namespace karigane {
namespace {

constexpr const char* kOldForm = "旧";
constexpr const char* kNewForm = "新";
constexpr const char* kMobileForm = "Ｍ";

}  // namespace

std::string margin_page_url(const settei_record& settei, const std::string& code,
                            const std::string& market_suffix, const kikan_row& window) {
  const std::string site_code = margin_site_code(code);
  const std::string from = slash_text(window.start);
  const std::string to = slash_text(window.end);
  const std::string y1 = from.substr(0, 4), m1 = from.substr(5, 2), d1 = from.substr(8, 2);
  const std::string y2 = to.substr(0, 4), m2 = to.substr(5, 2), d2 = to.substr(8, 2);
  const std::string& form = settei.shinyou_site;
  if (form == kOldForm) {
    return old_table_url(settei, "c=" + y1 + "&a=" + m1 + "&b=" + d1 + "&f=" + y2 + "&d=" + m2 +
                                     "&e=" + d2 + "&g=d&s=" + site_code + "&y=0&z=" + site_code);
  }
  if (form == kNewForm) {
    return margin_history_url(settei, "code=" + site_code + "&sy=" + y1 + "&sm=" + m1 +
                                          "&sd=" + d1 + "&ey=" + y2 + "&em=" + m2 + "&ed=" + d2 +
                                          "&tm=d");
  }
  if (form == kMobileForm) {
    return mobile_margin_url(settei, "code=" + site_code + "." + market_suffix + "&fy=" + y1 +
                                         "&fm=" + m1 + "&fd=" + d1 + "&ty=" + y2 + "&tm=" + m2 +
                                         "&td=" + d2);
  }
  return {};
}

void dl_yh_data_c_db_sub(run_context& ctx, const kikan_row& window, const std::string& code,
                         const std::string& market_suffix, credit_tbl_t& credit_tbl,
                         std::int16_t& error_flag_s, std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  const std::string& form = ctx.settei.shinyou_site;
  const std::string url = margin_page_url(ctx.settei, code, market_suffix, window);
  bool old_page_without_data = false;
  fetch_while_budget_lasts(
      ctx, url, 5,
      [&](const std::string& page, std::int16_t& error_loop_no_s) {
        if (form == kOldForm) {
          old_page_without_data = contains(page, kOldTableNoDataText);
          extract_creditinf_from_yahoohtml_old_sub(ctx, page, window, error_loop_no_s,
                                                   credit_tbl, error_flag_s, error_msg_s);
        } else if (form == kNewForm) {
          extract_creditinf_from_yahoohtml_new_sub(ctx, page, window, error_loop_no_s,
                                                   credit_tbl, error_flag_s, error_msg_s);
        } else {
          // Nothing reads the mobile page: one fetch, and the window counts as failed.
          error_flag_s = kTrue;
          error_msg_s = kMobileMarginUnreadable;
          error_loop_no_s = 0;
        }
      },
      error_flag_s, error_msg_s);
  // The old table page answers a window without a week with its no-data text, which its check
  // refuses until the budget is spent: the window has no data, it did not fail.
  if (error_flag_s != kFalse && old_page_without_data && !ctx.run_interrupted()) {
    error_flag_s = kFalse;
    error_msg_s = std::string("error b01:") + kOldTableNoDataText + "。";
  }
}

}  // namespace karigane
