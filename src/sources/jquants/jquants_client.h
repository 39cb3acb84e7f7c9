// J-Quants' API V2 as the runs ask it: one client per run, shared by every kind.
//
//   - Each query is a GET of "J-QuantsURL" + "/v2/" + the endpoint's path with the key in the
//     x-api-key header (never in an address, a message or a log), and it is followed page by
//     page while the answer carries a pagination_key.
//   - Requests are paced so that the plan's limit (Free 5, Light 60, Standard 120, Premium 500 a
//     minute; fins/summary besides at most 60) is never passed in any minute, counted over the
//     whole process. A 429 nevertheless waits a minute and asks again (five times at most); a
//     5xx or a failed transfer is asked again three times, with the transfer's back-off. The
//     minute is KARIGANE_JQUANTS_MINUTE seconds when that is set (tests shorten it).
//   - A 401 or a 403 about the key, or about an address that is no endpoint, ends the run (the
//     run-ending fault names the setting to check); a 403 about the plan is `not_in_plan`; a
//     400 and other statuses fail that query. Five queries in a row that get no answer end
//     the run as the quote site's pages do.
//   - The plan's dates: Free from 2 years and 12 weeks before today to 12 weeks before today,
//     paid plans the last 5, 10 or 20 years. Periods are clipped to them before asking (the run
//     warns once which dates the plan covers); a 400 that names other covered dates narrows
//     them for the rest of the run and the query is asked again within them.
//   - The trading calendar is read once a run (the plan's dates) and filtered here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/dates.h"
#include "core/run_context.h"
#include "sources/jquants/jquants_json.h"
#include "sources/jquants/jquants_settings.h"

namespace karigane {

enum class api_endpoint { master, daily_bars, calendar, margin_interest, fins_summary, topix };

using api_params = std::vector<std::pair<std::string, std::string>>;

enum class api_end {
  done,         // every page's rows were handed over (no rows is fine)
  failed,       // the query failed (message); the run goes on
  not_in_plan,  // a 403 about the plan (message)
  stopped,      // a stop, or a run-ending fault (the key refused, the service silent)
};

struct api_outcome {
  api_end end = api_end::done;
  std::string message;
};

struct date_span {
  date first;
  date last;
  friend bool operator==(const date_span&, const date_span&) = default;
};

// "2025/01/06～2025/03/31".
std::string span_text(const date_span& span);

// "2025-10-01".
std::string api_date(const date& d);
// "2025-10-01" or "20251001" as a date; nothing for a text that is not a date.
std::optional<date> date_of_api(std::string_view text);

// The dates a plan covers on `today` (Free: 12 weeks delayed, 2 years deep).
date_span plan_dates(jquants_plan plan, const date& today);

// The lowest plan that serves an endpoint.
jquants_plan lowest_plan(api_endpoint endpoint);

// The covered dates a 400's message names ("Your subscription covers the following dates:
// 2024-03-21 ~ 2026-03-21." or "... 2016-09-21 ~ . If you want ..."); an open end stays
// `open_last`.
std::optional<date_span> covered_dates_of(std::string_view message, const date& open_last);

class jquants_client {
 public:
  explicit jquants_client(jquants_settings settings);

  const jquants_settings& settings() const { return settings_; }
  bool plan_has(api_endpoint endpoint) const { return settings_.plan >= lowest_plan(endpoint); }

  // The dates the plan covers as of the run's today.
  date_span covered(run_context& ctx);
  // `span` within the covered dates; nothing when none of it is covered. The first clip of a
  // run warns of the dates the plan covers.
  std::optional<date_span> clip(run_context& ctx, const date_span& span);

  // Asks the query and hands every row of every page to `each`.
  api_outcome get(run_context& ctx, api_endpoint endpoint, const api_params& params,
                  const api_row_visitor& each);

  // The market's business days within `span` (ascending) from the calendar, read once a run;
  // the weekday rule of trading_days.h when the calendar cannot be had.
  std::vector<date> business_days(run_context& ctx, const date_span& span);

  // Requests sent this run (pages included), for the benchmarks and the reports.
  std::size_t requests() const { return requests_; }

 private:
  struct answer;
  answer request(run_context& ctx, api_endpoint endpoint, const std::string& url);
  api_outcome refusal(run_context& ctx, long status, const std::string& message);
  bool clip_params(api_params& params, const date_span& span) const;

  jquants_settings settings_;
  api_page_reader reader_;
  std::optional<date_span> covered_;
  bool warned_of_dates_ = false;
  std::optional<std::vector<date>> calendar_;
  std::size_t requests_ = 0;
};

}  // namespace karigane
