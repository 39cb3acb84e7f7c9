// Pieces of the quote site's pages: escaping, the number and date forms the site shows, and
// the option lists of its period selects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dates.h"

namespace karigane::quote_site {

// Text for element content or a double-quoted attribute: & < > " escaped.
std::string html_escape(std::string_view text);

// 1234567 -> "1,234,567".
std::string thousands(std::int64_t value);

// A price in hundredths with thousands separators: index values always with two decimals
// ("10,688.11"), stock prices in whole yen when whole ("8,090"), else with two ("769.23").
std::string price_text(std::int64_t hundredths, bool index);

std::string kanji_date(const date& d);        // "2013年1月4日"
std::string plain_slash_date(const date& d);  // "2013/1/4"

// Where a select's chosen option carries its "selected": before the value (history page,
// `<option selected value="1">`) or after it (mobile page, `<option value="1" selected>`).
enum class selected_place { before_value, after_value };

// <option> elements for first..last, values and texts without leading zeros.
std::string number_options(int first, int last, int chosen, selected_place place);

// The chrome the stock pages share: the main site's header with its search box, and its
// "no such stock" page body; the mobile site's header, its "page does not exist" body, and
// one select of its period form (a single blank between the select's tag and its first
// option is part of that form).
std::string site_header();
std::string unknown_stock_body();
std::string mobile_header();
std::string mobile_missing_page_body();
std::string mobile_period_select(const char* name, int first, int last, int chosen);

}  // namespace karigane::quote_site
