// Shares before and after a split: see split_shares.h.
#include "sources/jquants/split_shares.h"

#include <cmath>

namespace karigane {
namespace {

// The service writes factors to six decimals: a ratio within half of the last one is the
// factor (and a little more, for the binary fractions).
constexpr double kTolerance = 0.5e-6 + 1e-12;
constexpr std::int64_t kMostShares = 10'000;

}  // namespace

std::optional<std::pair<std::int64_t, std::int64_t>> split_shares(double factor) {
  if (!std::isfinite(factor) || factor <= 0) return std::nullopt;
  for (std::int64_t after = 1; after < kMostShares; ++after) {
    const double before = std::round(factor * static_cast<double>(after));
    if (before < 1 || before >= static_cast<double>(kMostShares)) continue;
    if (std::fabs(before / static_cast<double>(after) - factor) <= kTolerance) {
      return std::pair{static_cast<std::int64_t>(before), after};
    }
  }
  return std::nullopt;
}

}  // namespace karigane
