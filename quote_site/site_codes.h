// The quote site's own table of codes: which program codes are the indexes, the codes its pages
// use for them, and what a stock code may look like. The site keeps these itself rather than
// borrowing the program's table, so that a wrong code in the program is not served and accepted
// alike.
#pragma once

#include <string>
#include <string_view>

namespace karigane::quote_site {

// The program's index codes 1001-1004.
bool is_index_code(std::string_view program_code);

// The code the site's pages use: 1001 -> "998407", 1002 -> "998405", 1003 -> "5040469",
// 1004 -> "5040468"; a stock's code unchanged.
std::string site_code_of(std::string_view program_code);

// The program code of a site code: "998407" -> "1001" ...; any other text unchanged.
std::string program_code_of_site(std::string_view site_code);

// A code a data set may hold: 1 to 4 digits without a leading zero, or four characters with an
// uppercase letter in the second and/or fourth place (130A, 2A46, 9A7A), as the exchange has
// given new listings since 2024; never B, E, I, O, Q, V or Z.
bool is_stock_code(std::string_view code);

// The order of codes: as text, digit codes of fewer than four digits as if padded with zeros
// (so 130A lies between 1309 and 1310, and 13 before 1301).
bool code_less(std::string_view a, std::string_view b);

}  // namespace karigane::quote_site
