// How the fetch loop counts one page reading, in the terms the page tests check: the retry
// budget it leaves (0 once the page is accepted; a refusal costs one, a capped refusal first
// caps the budget at three), and the flag of a page that failed (-1) rather than one accepted
// with or without a "no data" or missing-part message (0).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "sources/quote_site/checked_page_fetch.h"

namespace karigane::testing {

inline void count_reading(const page_reading& r, std::int16_t& budget, std::int16_t& flag,
                          std::string& message) {
  message = r.outcome.message();
  const bool page_message = message.rfind("error b", 0) == 0;
  flag = r.verdict != page_verdict::accepted || (r.outcome == status::failed && !page_message) ? -1
                                                                                               : 0;
  switch (r.verdict) {
    case page_verdict::accepted:
      budget = r.outcome == status::failed && !page_message ? -1 : 0;
      break;
    case page_verdict::refused:
      --budget;
      break;
    case page_verdict::refused_capped:
      budget = std::min<std::int16_t>(budget, 3) - 1;
      break;
  }
}

}  // namespace karigane::testing
