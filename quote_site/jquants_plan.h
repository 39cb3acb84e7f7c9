// The J-Quants API's plans as the quote site serves them: their names, request limits, the
// dates each plan covers relative to the site's today, and the messages of a date outside them.
//   Free      from today - 12 weeks - 2 years to today - 12 weeks      5 requests a minute
//   Light     the last 5 years                                           60
//   Standard  the last 10 years                                         120
//   Premium   the last 20 years                                         500
// Paid plans have no upper bound (later dates have no data yet); their calendar reaches the end
// of the year after today.
#pragma once

#include <string>
#include <string_view>

#include "core/dates.h"

namespace karigane::quote_site {

enum class jquants_plan { free, light, standard, premium };

// "Free", "Light", "Standard", "Premium" (any case); false otherwise.
bool parse_jquants_plan(std::string_view text, jquants_plan& plan);
std::string_view plan_name(jquants_plan plan);

int requests_per_minute(jquants_plan plan);

struct date_window {
  date first;
  date last;        // the last day covered
  bool open_ended;  // a paid plan: later dates are refused by no one
  bool covers(const date& d) const { return !(d < first) && (open_ended || !(last < d)); }
};

// The dates of the data endpoints.
date_window data_window(jquants_plan plan, const date& today);

// The dates of the calendar: the data window, on paid plans up to the end of next year.
date_window calendar_window(jquants_plan plan, const date& today);

// The 400 message of a date outside the plan's data window.
std::string outside_window_message(jquants_plan plan, const date_window& window);

}  // namespace karigane::quote_site
