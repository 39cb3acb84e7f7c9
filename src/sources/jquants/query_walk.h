// How a pass over many stocks asks J-Quants: one query per stock over its days, or one query per
// day for every stock of the market at once, whichever makes fewer queries.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/dates.h"
#include "sources/jquants/jquants_client.h"

namespace karigane {

enum class query_walk { by_code, by_date };

struct walk_choice {
  query_walk walk = query_walk::by_code;
  std::size_t queries = 0;  // of the walk chosen
  std::vector<date> days;   // the days some stock asks for, ascending (in hand or not)
};

// `periods`: each stock's days (nothing: the stock asks for nothing); `days`: the market's days
// that can be asked for (business days, or the weeks' dates), ascending; `in_hand`: days whose
// whole market the run already has. By date asks every day some stock's period holds that is
// not in hand; by code one query per stock that asks. Equal counts go by code.
walk_choice choose_walk(const std::vector<std::optional<date_span>>& periods,
                        const std::vector<date>& days, const std::vector<date>& in_hand);

// The walk KARIGANE_JQUANTS_WALK imposes ("code" or "date"), for the benchmarks that compare
// the two; nothing when it is unset or anything else.
inline constexpr const char* kWalkVariable = "KARIGANE_JQUANTS_WALK";
std::optional<query_walk> forced_walk();

// The smallest span holding every period; nothing when no stock asks.
std::optional<date_span> hull_of(const std::vector<std::optional<date_span>>& periods);

}  // namespace karigane
