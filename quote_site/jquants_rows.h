// The rows of the J-Quants API's endpoints, from the quote site's data set, in the order the
// service gives them. Each takes the request's parameters and the plan's window (jquants_query.h)
// and answers rows or a 400's message.
#pragma once

#include "jquants_query.h"

namespace karigane::quote_site {

// /v2/equities/master: code and date optional. The issues listed on the date (no date: today,
// or on Free the window's last day; a holiday: the next business day; a later date: the next
// business day after today).
api_rows master_rows(const api_query& q);

// /v2/equities/bars/daily: code or date required; code with from/to or date, or date alone
// (every issue of that day). Unadjusted prices as the data set has them; AdjFactor is before /
// after on a split's day (6 decimals), 1.0 elsewhere; the adjusted values of a day are the raw
// ones times the factors of every later day up to today (prices to one decimal, volume divided
// and whole). A listed day without a trade has nulls for prices, volume and value.
api_rows daily_bar_rows(const api_query& q);

// /v2/markets/calendar: hol_div, from, to optional. Every day of the window, "1" trading, "0" not.
api_rows calendar_rows(const api_query& q);

// /v2/markets/margin-interest: code or date required. One row per stock and week from the
// weekly margin balances; of each side 80% standardized (in lots of 100 shares), the rest
// negotiable.
api_rows margin_interest_rows(const api_query& q);

// /v2/fins/summary: code or date (disclosure date) required. One row per announced annual or
// interim statement, sorted by DiscNo.
api_rows fins_summary_rows(const api_query& q);

// /v2/indices/bars/daily/topix: from, to optional. The data set's index 1002.
api_rows topix_rows(const api_query& q);

// /v2/indices/bars/daily: code or date required. Code "0000" is TOPIX (index 1002); other
// index codes have no rows.
api_rows index_bar_rows(const api_query& q);

}  // namespace karigane::quote_site
