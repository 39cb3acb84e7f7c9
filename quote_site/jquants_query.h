// What the rows of an API answer are made from (the data set, the request's parameters, the
// plan and its window) and the reading of the date parameters the endpoints share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jquants_plan.h"
#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

struct api_query {
  const market_data& data;
  const param_map& params;
  jquants_plan plan;
  date_window window;  // the plan's dates for this endpoint

  std::string get(std::string_view key) const;
  bool has(std::string_view key) const { return params.find(key) != params.end(); }
};

// The rows of an answer (JSON objects, in order), or the message of a 400.
struct api_rows {
  std::vector<std::string> rows;
  std::string error;  // not empty: the parameters were refused
};

inline constexpr std::string_view kCodeOrDateRequired =
    "This API requires at least 1 parameter as follows; date, code";

// YYYYMMDD or YYYY-MM-DD naming a real calendar date.
std::optional<date> parse_api_date(std::string_view text);

// "2023-03-24".
std::string dashed_date(const date& d);

// The days a request asks for: `date` alone (when `with_date` and no from/to) that day; from
// and to (either may be absent: the window's first or last day); none of them the whole window.
// False with a 400's message when a date is unreadable or outside the plan's window (a period
// partly outside it is refused too, as the service does with a `date` or `from` outside).
bool requested_period(const api_query& q, bool with_date, date& from, date& to, std::string& error);

// The days of an endpoint that needs a code or a date: with a code as requested_period; without
// one the `date` alone (every issue at once is served a day at a time). False with the 400's
// message, kCodeOrDateRequired when there is neither.
bool code_or_date_period(const api_query& q, date& from, date& to, std::string& error);

// The market's trading days (the data set's calendar up to today, the weekday rule beyond).
bool is_business_day(const market_data& data, const date& d);

}  // namespace karigane::quote_site
