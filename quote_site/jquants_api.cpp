// The J-Quants API V2: see jquants_api.h.
#include "jquants_api.h"

#include <array>
#include <chrono>

#include "jquants_pages.h"
#include "jquants_rows.h"
#include "json_text.h"

namespace karigane::quote_site {
namespace {

constexpr std::string_view kKeyRequired = "The api key is required.";
constexpr std::string_view kKeyInvalid = "The incoming api key is invalid or expired.";
constexpr std::string_view kNoEndpoint =
    "The requested endpoint does not exist. Please check the URL, HTTP method, and API version.";
constexpr std::string_view kNotInPlan =
    "This API is not available on your subscription. If you want more data, please check other "
    "plans: https://jpx-jquants.com/#dataset";
constexpr std::string_view kTooMany = "Rate limit exceeded. Please wait a minute and try again.";
constexpr std::string_view kBadPaginationKey = "The pagination_key is invalid.";

constexpr int kFinsPerMinute = 60;

struct endpoint {
  std::string_view path;
  jquants_plan lowest_plan;
  bool own_limit;      // fins/summary: 60 a minute whatever the plan
  bool calendar_days;  // the calendar's window, up to next year's end on paid plans
  api_rows (*rows)(const api_query&);
};

constexpr std::array<endpoint, 7> kEndpoints{{
    {"/v2/equities/master", jquants_plan::free, false, false, master_rows},
    {"/v2/equities/bars/daily", jquants_plan::free, false, false, daily_bar_rows},
    {"/v2/markets/calendar", jquants_plan::free, false, true, calendar_rows},
    {"/v2/markets/margin-interest", jquants_plan::standard, false, false, margin_interest_rows},
    {"/v2/fins/summary", jquants_plan::free, true, false, fins_summary_rows},
    {"/v2/indices/bars/daily/topix", jquants_plan::light, false, false, topix_rows},
    {"/v2/indices/bars/daily", jquants_plan::standard, false, false, index_bar_rows},
}};

api_answer message(int status, std::string_view text) { return {status, json_message(text)}; }

}  // namespace

jquants_api::jquants_api(const market_data& data, jquants_settings settings)
    : data_(data),
      settings_(std::move(settings)),
      plan_limit_(requests_per_minute(settings_.plan),
                  std::chrono::seconds(settings_.rate_window_seconds)),
      fins_limit_(kFinsPerMinute, std::chrono::seconds(settings_.rate_window_seconds)) {}

std::vector<std::string> jquants_api::codes(const param_map& params) {
  const auto it = params.find("code");
  if (it == params.end()) return {};
  std::string code = it->second;
  if (code.size() == 5 && code.back() == '0') code.pop_back();
  return {code};
}

api_answer jquants_api::answer(std::string_view method, std::string_view path,
                               const param_map& params, const std::string* api_key) {
  const endpoint* found = nullptr;
  for (const auto& e : kEndpoints) {
    if (e.path == path) found = &e;
  }
  if (found == nullptr || method != "GET") return message(403, kNoEndpoint);
  if (api_key == nullptr) return message(403, kKeyRequired);
  if (*api_key != settings_.key) return message(403, kKeyInvalid);
  if (!(found->own_limit ? fins_limit_ : plan_limit_).admit()) return message(429, kTooMany);
  if (settings_.plan < found->lowest_plan) return message(403, kNotInPlan);

  std::size_t first = 0;
  const std::uint64_t identity = query_identity(path, params);
  if (const auto key = params.find("pagination_key");
      key != params.end() && !read_pagination_key(key->second, identity, first)) {
    return message(400, kBadPaginationKey);
  }
  const date_window window = found->calendar_days ? calendar_window(settings_.plan, data_.today())
                                                  : data_window(settings_.plan, data_.today());
  const api_rows rows = found->rows({data_, params, settings_.plan, window});
  if (!rows.error.empty()) return message(400, rows.error);
  const page_of_rows page = cut_page(rows.rows, first, settings_.page_rows, identity);
  return {200, json_data_body(std::span(rows.rows).subspan(page.first, page.end - page.first),
                              page.next_key)};
}

}  // namespace karigane::quote_site
