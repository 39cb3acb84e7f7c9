// Gaps between the stored time series and the latest day: see series_gaps.h.
#include "latest/series_gaps.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "core/file_store.h"
#include "core/stock_file_name.h"
#include "core/text.h"
#include "core/trading_days.h"
#include "fetch/page_retrieval.h"
#include "fetch/quote_addresses.h"
#include "latest/index_data.h"

namespace karigane {
namespace {

// More than the longest row line of a series file.
constexpr std::size_t kTailBytes = 4096;

// The code of a series file's name "NNNN.csv".
std::optional<std::string> series_code(const std::string& name) {
  if (!stock_file_code(name)) return std::nullopt;
  return name.substr(0, 4);
}

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

// The market's days as the index chart page lists them; none when the page could not be had.
std::vector<date> chart_days(run_context& ctx) {
  std::string page;
  std::string message;
  int_cnt1_sub(ctx, index_chart_url(ctx.settei), page, message);
  if (!message.empty()) return {};
  index_table_t table(1);
  read_shihyou_data_sub(ctx, page, table);
  std::vector<date> days;
  for (std::size_t k = 1; k < table.size(); ++k) {
    if (const auto d = parse_yyyymmdd(table[k][0])) days.push_back(*d);
  }
  return days;
}

}  // namespace

std::vector<series_gap> find_series_gaps(run_context& ctx, const data_d_table_t& table) {
  std::vector<series_gap> gaps;
  if (table.empty()) return gaps;
  const std::optional<date> latest = parse_yyyymmdd(table[0][kDCode]);
  if (!latest) return gaps;
  std::unordered_set<std::int64_t> listed;
  for (std::size_t k = 1; k <= data_d_count(table); ++k) listed.insert(int_value(table[k][kDCode]));

  const trading_days rule;
  const std::string folder = ctx.settei.kabuka_path + ctx.settei.data_m_name + "/";
  for (const std::string& name : list_files(folder)) {
    ctx.pump();
    if (ctx.run_interrupted()) return {};
    const auto code = series_code(name);
    if (!code || !listed.contains(int_value(*code))) continue;
    std::string tail;
    if (!read_file_tail(folder + name, kTailBytes, tail)) continue;
    const auto newest = last_row_date(tail);
    if (newest && rule.any_between(*newest, *latest)) gaps.push_back({*code, *newest});
  }
  if (gaps.empty()) return gaps;

  const trading_days market(chart_days(ctx));
  std::erase_if(gaps, [&](const series_gap& g) { return !market.any_between(g.newest, *latest); });
  return gaps;
}

}  // namespace karigane
