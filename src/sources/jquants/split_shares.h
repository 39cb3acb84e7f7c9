// A split or consolidation as the split files write it, from J-Quants' adjustment factor of its
// day (shares before over shares after: 0.5 for one share into two, 5 for five into one).
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

namespace karigane {

// The smallest whole numbers of shares before and after whose ratio is the factor as far as
// its six decimals tell (0.5 -> 1 and 2; 0.333333 -> 1 and 3; 5 -> 5 and 1; 0.909091 -> 10 and
// 11); nothing for a factor that is not a positive finite number, or that no pair below 10,000
// shares gives.
std::optional<std::pair<std::int64_t, std::int64_t>> split_shares(double factor);

}  // namespace karigane
