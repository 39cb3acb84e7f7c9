// Reading the queries of the stock pages: the code parameter (with or without its market
// suffix, site codes of indexes included) and a period given as six year/month/day keys.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/dates.h"
#include "page_kind.h"

namespace karigane::quote_site {

// The program code a code parameter names: "1301.T" and "1301" -> "1301", "130A.T" -> "130A",
// "998407.O", "998407.o" and "998407" -> "1001". Surrounding blanks are ignored.
std::string program_code_param(std::string_view value);

// A period as the page's selects show it: the numbers the query gave. Missing or unreadable
// keys give the site's default period, the month up to today.
struct shown_period {
  int y1 = 0, m1 = 0, d1 = 0;  // start
  int y2 = 0, m2 = 0, d2 = 0;  // end

  // The calendar days the numbers stand for: months beyond 1..12 and days beyond the month's
  // length are brought inside.
  date from() const;
  date to() const;

  // The same period `years` years later (earlier when negative).
  shown_period shifted_years(int years) const;
};

// Keys in the order start year, month, day, end year, month, day.
shown_period read_period(const page_query& query, const std::array<const char*, 6>& keys,
                         const date& today);

// The "p" page number, 1 when absent or unreadable.
int page_number(const page_query& query);

}  // namespace karigane::quote_site
