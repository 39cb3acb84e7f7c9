// Joining a stock's yearly files: see yearly_join.h.
//
// A damaged or unreadable yearly file (fewer lines than its header says, a malformed line, no
// permission to read it) ends the join:
// joining what could be read would leave a hole in the series, and adjusting without a year's
// splits would scale older prices wrongly. The stock's earlier outputs then stay as they were.
#include "adjust/yearly_join.h"

#include <algorithm>

#include "core/text.h"
#include "timeseries/price_files.h"

namespace karigane {

join_result join_yearly_files(const program_layout& layout, const std::vector<int>& years,
                              const std::string& file_name, joined_series& joined) {
  joined.prices.assign(1, {});
  joined.splits.assign(1, {});
  bool price_read = false;
  bool split_read = false;
  for (const int year : years) {
    const std::string year_text = std::to_string(year);
    jikeiretu_data_t prices;
    const std::string price_path = layout.yearly_price_folder(year_text) + file_name;
    const status pr = read_dated_file(price_path, prices, kPriceFile, false);
    if (pr == status::missing) continue;
    if (pr.unusable()) {
      joined.unusable_path = price_path;
      joined.unusable = pr;
      return join_result::damaged;
    }
    const std::size_t n = std::min(price_count(prices), prices.size() - 1);
    for (std::size_t k = 1; k <= n; ++k) joined.prices.push_back(std::move(prices[k]));
    joined.prices[0] = prices[0];
    price_read = true;

    bunkatu_list_t splits;
    const std::string split_path = layout.yearly_split_folder(year_text) + file_name;
    const status sr = read_dated_file(split_path, splits, kSplitFile, false);
    if (sr == status::missing) continue;
    if (sr.unusable()) {
      joined.unusable_path = split_path;
      joined.unusable = sr;
      return join_result::damaged;
    }
    const std::size_t m = std::min(split_count(splits), splits.size() - 1);
    for (std::size_t k = 1; k <= m; ++k) joined.splits.push_back(std::move(splits[k]));
    joined.splits[0] = splits[0];
    split_read = true;
  }
  if (!price_read) return join_result::nothing;

  jikeiretu_row& header = joined.prices[0];
  const std::size_t rows = joined.prices.size() - 1;
  header[kPriceOldest] = rows > 0 ? joined.prices[1][0] : std::string();
  header[kPriceNewest] = rows > 0 ? joined.prices[rows][0] : std::string();
  header[kPriceCount] = num_text(static_cast<std::int64_t>(rows));
  header[6].clear();
  if (!split_read) joined.splits[0] = empty_split_table(header[kPriceCode])[0];
  joined.splits[0][kSplitCount] = num_text(static_cast<std::int64_t>(joined.splits.size() - 1));
  return join_result::joined;
}

}  // namespace karigane
