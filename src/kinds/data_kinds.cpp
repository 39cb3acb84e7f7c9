// The table of data kinds: see data_kinds.h.
#include "kinds/data_kinds.h"

namespace karigane {

const std::array<data_kind, kKindCount>& data_kinds() {
  static const std::array<data_kind, kKindCount> kinds = {{
      {kind_id::latest,
       "最新日株価",
       "--latest",
       false,
       false,
       false,
       {"latest_prices", "stocks", nullptr},
       true,
       true},
      {kind_id::prices,
       "時系列株価",
       "--no-timeseries",
       true,
       true,
       true,
       {"prices", "splits", "adjusted_prices"},
       true,
       true},
      {kind_id::margin,
       "信用売買残",
       "--margin",
       false,
       true,
       true,
       {"margin", nullptr, nullptr},
       true,
       true},
      {kind_id::financial,
       "財務情報",
       "--financial",
       false,
       false,
       false,
       {"statements", "statement_summaries", nullptr},
       true,
       true},
  }};
  return kinds;
}

const data_kind& kind_of(kind_id id) { return data_kinds()[static_cast<std::size_t>(id)]; }

const data_kind* kind_with_option(std::string_view option) {
  for (const data_kind& k : data_kinds()) {
    if (option == k.option) return &k;
  }
  return nullptr;
}

kind_set kind_set::at_start() {
  kind_set kinds;
  for (const data_kind& k : data_kinds()) kinds.set(k.id, k.ticked_at_start);
  return kinds;
}

bool period_applies(const kind_set& kinds) {
  for (const data_kind& k : data_kinds()) {
    if (k.has_period && kinds.has(k.id)) return true;
  }
  return false;
}

}  // namespace karigane
