// The exchange's daily price limit: how far a stock's price may move in a day from its base
// price (the previous close), by the base's tier.
#pragma once

#include <cstdint>

namespace karigane::quote_site {

// The width of the limit, in yen, for a base price in yen.
std::int64_t daily_limit_width(std::int64_t base_yen);

}  // namespace karigane::quote_site
