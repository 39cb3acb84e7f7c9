// Fetching one history page: see history_fetch.h.
#include "timeseries/history_fetch.h"

#include <cctype>

#include "fetch/checked_page_fetch.h"
#include "fetch/quote_addresses.h"
#include "timeseries/history_page_extractor.h"
#include "timeseries/mobile_page_extractor.h"

namespace karigane {

namespace {

constexpr const char* kNewForm = "新";
constexpr const char* kMobileForm = "Ｍ";

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A number of an address without leading zeros or blanks.
std::string plain_number(const std::string& text) { return num_text(int_value(text)); }

}  // namespace

bool known_history_page_form(const std::string& site) {
  return site == kNewForm || site == kMobileForm;
}

std::string history_page_query(const std::string& form, const std::string& code,
                               const std::string& market_code, const kikan_row& window) {
  const std::string site_code = history_site_code(code);
  const std::string from = slash_text(window.start);
  const std::string to = slash_text(window.end);
  const std::string y1 = from.substr(0, 4), m1 = from.substr(5, 2), d1 = from.substr(8, 2);
  const std::string y2 = to.substr(0, 4), m2 = to.substr(5, 2), d2 = to.substr(8, 2);
  if (form == kNewForm) {
    return "code=" + site_code + "&sy=" + y1 + "&sm=" + m1 + "&sd=" + d1 + "&ey=" + y2 +
           "&em=" + m2 + "&ed=" + d2 + "&tm=d";
  }
  if (form == kMobileForm) {
    return "code=" + site_code + "." + upper(market_code) + "&fy=" + plain_number(y1) +
           "&fm=" + plain_number(m1) + "&fd=" + plain_number(d1) + "&ty=" + plain_number(y2) +
           "&tm=" + plain_number(m2) + "&td=" + plain_number(d2) + "&cp=d";
  }
  return {};
}

void dl_yh_data_m_db_sub(run_context& ctx, const kikan_row& window, const std::string& code,
                         const std::string& market_code, jikeiretu_data_t& prices,
                         bunkatu_list_t& splits, std::int16_t& error_flag_s,
                         std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  const std::string& form = ctx.settei.jikeiretu_site;
  if (!known_history_page_form(form)) {
    // Without a page form there is no page and the fetch loop could never end.
    error_flag_s = kTrue;
    error_msg_s = "時系列株価取得サイトの設定「" + form + "」は使えません。";
    return;
  }
  const std::string query = history_page_query(form, code, market_code, window);
  const std::string url = form == kNewForm ? history_page_url(ctx.settei, query)
                                           : mobile_history_url(ctx.settei, query);
  fetch_while_budget_lasts(
      ctx, url, 5,
      [&](const std::string& page, std::int16_t& error_loop_no_s) {
        if (form == kNewForm) {
          extract_kabuinf_from_yahoohtml_new_sub(ctx, page, window, error_loop_no_s, prices,
                                                 splits, error_flag_s, error_msg_s);
        } else {
          extract_kabuinf_from_yahoohtml_mobile_sub(ctx, page, window, error_loop_no_s, prices,
                                                    splits, error_flag_s, error_msg_s);
        }
      },
      error_flag_s, error_msg_s);
}

}  // namespace karigane
