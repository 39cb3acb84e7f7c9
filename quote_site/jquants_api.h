// The J-Quants API V2 on the quote site: GET /v2/... answered from the data set as the service
// answers, so that a client written to its documentation works against the site unchanged. In
// this order:
//   - an unknown /v2/ path or another method than GET: 403 "The requested endpoint does not
//     exist...";
//   - the key in the x-api-key header: 403 without it or with another key;
//   - the plan's request limit in a sliding window (429 beyond it; fins/summary has its own 60);
//     requests refused with a 429 are not counted, every other answer is;
//   - an endpoint outside the plan: 403;
//   - a missing code or date, an unreadable date or pagination key, a date outside the plan's
//     window: 400 (the last with the covered dates);
//   - {"data": [...]}, cut into pages with a pagination_key while rows remain.
// The rows are in jquants_rows.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "jquants_plan.h"
#include "market_data.h"
#include "page_kind.h"
#include "rate_limiter.h"

namespace karigane::quote_site {

struct jquants_settings {
  std::string key;  // the API key the site accepts; "" : no API (its paths are unknown paths)
  jquants_plan plan = jquants_plan::free;
  std::size_t page_rows = 0;     // rows a page; 0: pages cut at about 5,000,000 bytes
  int rate_window_seconds = 60;  // the window of the request limits; 0: no limit
};

struct api_answer {
  int status = 200;
  std::string body;  // JSON
};

inline constexpr std::string_view kApiPrefix = "/v2/";

class jquants_api {
 public:
  jquants_api(const market_data& data, jquants_settings settings);

  bool enabled() const { return !settings_.key.empty(); }

  // The answer to a request; `api_key` is the x-api-key header, nullptr when absent.
  api_answer answer(std::string_view method, std::string_view path, const param_map& params,
                    const std::string* api_key);

  // The program code a request is about, for the fault rules: "72030" and "7203" -> "7203".
  static std::vector<std::string> codes(const param_map& params);

 private:
  const market_data& data_;
  jquants_settings settings_;
  rate_limiter plan_limit_;
  rate_limiter fins_limit_;
};

}  // namespace karigane::quote_site
