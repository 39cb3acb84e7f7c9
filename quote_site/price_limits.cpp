// The daily price limit: see price_limits.h.
#include "price_limits.h"

#include <utility>

namespace karigane::quote_site {

std::int64_t daily_limit_width(std::int64_t base_yen) {
  static const std::pair<std::int64_t, std::int64_t> tiers[] = {
      {100, 30},   {200, 50},   {500, 80},   {700, 100},   {1000, 150},  {1500, 300},
      {2000, 400}, {3000, 500}, {5000, 700}, {7000, 1000}, {10000, 1500}};
  for (const auto& [below, width] : tiers) {
    if (base_yen < below) return width;
  }
  return base_yen * 15 / 100;
}

}  // namespace karigane::quote_site
