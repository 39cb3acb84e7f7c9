// Fetching one history page: see history_fetch.h.
#include "sources/quote_site/history_fetch.h"

#include <cctype>

#include "sources/quote_site/checked_page_fetch.h"
#include "sources/quote_site/quote_addresses.h"
#include "sources/quote_site/history_page_extractor.h"
#include "sources/quote_site/mobile_page_extractor.h"

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

bool known_history_page_form(const std::string& form) {
  return form == kNewForm || form == kMobileForm;
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

status fetch_history_window(run_context& ctx, const quote_site_settings& site,
                            const kikan_row& window, const std::string& code,
                            const std::string& market_code, price_rows& rows) {
  const std::string& form = site.history_form;
  if (!known_history_page_form(form)) {
    // Without a page form there is no page and the fetch loop could never end.
    return status::failure("時系列株価取得サイトの設定「" + form + "」は使えません。");
  }
  const std::string query = history_page_query(form, code, market_code, window);
  const std::string url =
      form == kNewForm ? history_page_url(site, query) : mobile_history_url(site, query);
  return fetch_checked_page(ctx, site.connection, url, 5, [&](const std::string& page) {
    return form == kNewForm ? read_history_page(ctx, page, window, rows)
                            : read_mobile_history_page(ctx, page, window, rows);
  });
}

}  // namespace karigane
