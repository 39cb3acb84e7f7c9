// Quote-site addresses and index code tables: see quote_addresses.h.
#include "sources/quote_site/quote_addresses.h"

#include <array>
#include <string_view>

#include "core/text.h"

namespace karigane {
namespace {

struct index_code {
  std::string_view program;
  std::string_view site;
  std::string_view margin_site;
};

constexpr std::array<index_code, 4> kIndexCodes{{
    {"1001", "998407", "998407.o"},
    {"1002", "998405", "998405.t"},
    {"1003", "5040469", "5040469"},
    {"1004", "5040468", "5040468"},
}};

}  // namespace

std::string history_page_url(const quote_site_settings& site, const std::string& query) {
  return site.kabuka_site_url + "/history/?" + query;
}

std::string mobile_history_url(const quote_site_settings& site, const std::string& query) {
  return site.mobile_site_url + "/stock/historicaldata?" + query;
}

std::string margin_history_url(const quote_site_settings& site, const std::string& query) {
  return site.kabuka_site_url + "/history/margin/?" + query;
}

std::string old_table_url(const quote_site_settings& site, const std::string& query) {
  return site.old_table_url + "/bt?" + query;
}

std::string mobile_margin_url(const quote_site_settings& site, const std::string& query) {
  return site.mobile_site_url + "/stock/historicaldata/margin?" + query;
}

std::string profile_page_url(const quote_site_settings& site, const std::string& kind_path,
                             const std::string& code) {
  return site.profile_site_url + "/" + kind_path + "/" + code;
}

std::string search_page_url(const quote_site_settings& site, const std::string& query) {
  return site.kabuka_site_url + "/search/?" + query;
}

std::string index_chart_url(const quote_site_settings& site) {
  return site.index_site_url + "/fisco/cgi-bin/index.cgi";
}

std::string history_site_code(const std::string& code) {
  for (const auto& c : kIndexCodes) {
    if (code == c.program) return std::string(c.site);
  }
  return code;
}

std::string margin_site_code(const std::string& code) {
  for (const auto& c : kIndexCodes) {
    if (code == c.program) return std::string(c.margin_site);
  }
  return code;
}

std::string search_site_code(const std::string& code) {
  const std::string c = trim(code);
  const std::int64_t v = int_value(c);
  if (v >= 1001 && v <= 1004) return history_site_code(num_text(v));
  return c;
}

std::string program_code_from_site(const std::string& site_code) {
  for (const auto& c : kIndexCodes) {
    if (site_code == c.site) return std::string(c.program);
  }
  return site_code;
}

}  // namespace karigane
