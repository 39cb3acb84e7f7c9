// The by-code or by-date choice: see query_walk.h.
#include "sources/jquants/query_walk.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace karigane {

walk_choice choose_walk(const std::vector<std::optional<date_span>>& periods,
                        const std::vector<date>& days, const std::vector<date>& in_hand) {
  // How many periods hold each day: +1 where one begins, -1 after it ends.
  std::vector<long> starts(days.size() + 1, 0);
  std::size_t asking = 0;
  for (const auto& p : periods) {
    if (!p || p->last < p->first) continue;
    ++asking;
    const auto first = std::lower_bound(days.begin(), days.end(), p->first) - days.begin();
    const auto end = std::upper_bound(days.begin(), days.end(), p->last) - days.begin();
    if (first >= end) continue;
    ++starts[static_cast<std::size_t>(first)];
    --starts[static_cast<std::size_t>(end)];
  }
  walk_choice by_date{query_walk::by_date, 0, {}};
  long holding = 0;
  for (std::size_t i = 0; i < days.size(); ++i) {
    holding += starts[i];
    if (holding <= 0) continue;
    by_date.days.push_back(days[i]);
    if (std::find(in_hand.begin(), in_hand.end(), days[i]) == in_hand.end()) ++by_date.queries;
  }
  if (by_date.queries < asking) return by_date;
  return {query_walk::by_code, asking, std::move(by_date.days)};
}

std::optional<query_walk> forced_walk() {
  const char* text = std::getenv(kWalkVariable);
  if (text == nullptr) return std::nullopt;
  const std::string_view v(text);
  if (v == "code") return query_walk::by_code;
  if (v == "date") return query_walk::by_date;
  return std::nullopt;
}

std::optional<date_span> hull_of(const std::vector<std::optional<date_span>>& periods) {
  std::optional<date_span> hull;
  for (const auto& p : periods) {
    if (!p || p->last < p->first) continue;
    hull = hull ? date_span{std::min(hull->first, p->first), std::max(hull->last, p->last)} : *p;
  }
  return hull;
}

}  // namespace karigane
