// Gaps between the stored time series and the latest day: see series_gaps.h.
#include "latest/series_gaps.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "core/file_store.h"
#include "core/text.h"
#include "core/trading_days.h"

namespace karigane {
namespace {

// More than the longest row line of a series file.
constexpr std::size_t kTailBytes = 4096;

// The date that begins the last line of `tail` that is not empty.
std::optional<date> last_row_date(std::string_view tail) {
  while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r' || tail.back() == ' ')) {
    tail.remove_suffix(1);
  }
  const std::size_t start = tail.find_last_of("\r\n");
  std::string_view line = start == std::string_view::npos ? tail : tail.substr(start + 1);
  line = line.substr(0, line.find(','));
  return parse_yyyymmdd(trim(std::string(line)));
}

}  // namespace

std::vector<series_gap> find_series_gaps(run_context& ctx, const program_layout& layout,
                                         const data_d_table_t& table,
                                         const std::function<std::vector<date>()>& market_days) {
  std::vector<series_gap> gaps;
  if (table.empty()) return gaps;
  const std::optional<date> latest = parse_yyyymmdd(table[0][kDCode]);
  if (!latest) return gaps;
  std::unordered_set<std::string> listed;
  for (std::size_t k = 1; k <= data_d_count(table); ++k) listed.insert(trim(table[k][kDCode]));

  const trading_days rule;
  const std::string folder = layout.price_folder();
  for (const std::string& name : list_files(folder)) {
    ctx.pump();
    if (ctx.run_interrupted()) return {};
    const auto code = stock_code_of_file(name);
    if (!code || !listed.contains(*code)) continue;
    std::string tail;
    if (!read_file_tail(folder + name, kTailBytes, tail)) continue;
    const auto newest = last_row_date(tail);
    if (newest && rule.any_between(*newest, *latest)) gaps.push_back({*code, *newest});
  }
  if (gaps.empty()) return gaps;

  const trading_days market(market_days());
  std::erase_if(gaps, [&](const series_gap& g) { return !market.any_between(g.newest, *latest); });
  return gaps;
}

}  // namespace karigane
