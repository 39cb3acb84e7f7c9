// Every address the program sends to the quote site and the index chart page: the host comes
// from the settings (scheme://host[:port], no trailing "/"), the path and query from here.
// Also the translation between the program's index codes 1001-1004 and the site's codes.
#pragma once

#include <string>

#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

// Daily-price history page: host + "/history/?" + query.
std::string history_page_url(const quote_site_settings& site, const std::string& query);

// Mobile daily-price history page: mobile host + "/stock/historicaldata?" + query.
std::string mobile_history_url(const quote_site_settings& site, const std::string& query);

// Margin history page: host + "/history/margin/?" + query.
std::string margin_history_url(const quote_site_settings& site, const std::string& query);

// Old margin table page: old-table host + "/bt?" + query.
std::string old_table_url(const quote_site_settings& site, const std::string& query);

// Mobile margin page: mobile host + "/stock/historicaldata/margin?" + query.
std::string mobile_margin_url(const quote_site_settings& site, const std::string& query);

// Company profile page: profile host + "/" + kind_path + "/" + code, where kind_path is
// "independent", "consolidate" or "interim".
std::string profile_page_url(const quote_site_settings& site, const std::string& kind_path,
                             const std::string& code);

// Search list page: host + "/search/?" + query.
std::string search_page_url(const quote_site_settings& site, const std::string& query);

// Index chart page: index host + "/fisco/cgi-bin/index.cgi".
std::string index_chart_url(const quote_site_settings& site);

// The site code of a program code on the history and search pages: 1001 -> 998407,
// 1002 -> 998405, 1003 -> 5040469, 1004 -> 5040468; every other code unchanged.
std::string history_site_code(const std::string& code);

// The site code of a program code on the margin pages: 1001 -> 998407.o, 1002 -> 998405.t,
// 1003 -> 5040469, 1004 -> 5040468; every other code unchanged.
std::string margin_site_code(const std::string& code);

// The quote-site code of a program code in the search pages (1001..1004 → 998407, 998405,
// 5040469, 5040468; any other code is itself, trimmed).
std::string search_site_code(const std::string& code);

// The program code of a site code read from a page: 998407 -> 1001, 998405 -> 1002,
// 5040469 -> 1003, 5040468 -> 1004; every other text unchanged. Compared as text.
std::string program_code_from_site(const std::string& site_code);

}  // namespace karigane
