// Daily bars: see jquants_bars.h.
#include "sources/jquants/jquants_bars.h"

#include "sources/jquants/jquants_issues.h"
#include "sources/jquants/split_shares.h"

namespace karigane {

std::optional<day_bar> day_bar_of(const api_row& row) {
  const auto api_code = row.text("Code");
  const auto day_text = row.text("Date");
  std::optional<std::string> code = api_code ? program_code_of(*api_code) : std::nullopt;
  const std::optional<date> day = day_text ? date_of_api(*day_text) : std::nullopt;
  if (!code || !day) return std::nullopt;
  day_bar bar;
  bar.code = std::move(*code);
  bar.day = *day;
  bar.open = row.number("O").value_or("");
  bar.high = row.number("H").value_or("");
  bar.low = row.number("L").value_or("");
  bar.close = row.number("C").value_or("");
  bar.volume = row.number("Vo").value_or("");
  bar.adjusted_close = row.number("AdjC").value_or("");
  bar.factor = row.value("AdjFactor");
  return bar;
}

api_outcome market_bars(run_context& ctx, jquants_client& client, const date& day,
                        market_day& out) {
  out.day = day;
  out.bars.clear();
  return client.get(ctx, api_endpoint::daily_bars, {{"date", api_date(day)}},
                    [&](const api_row& row) {
                      std::optional<day_bar> bar = day_bar_of(row);
                      if (bar && bar->day == day) out.bars.push_back(std::move(*bar));
                    });
}

jikeiretu_row price_row_of(const day_bar& bar) {
  return {yyyymmdd(bar.day), bar.open,  bar.high,
          bar.low,           bar.close, bar.volume.empty() ? "---" : bar.volume,
          bar.adjusted_close};
}

std::optional<bunkatu_row> split_row_of(const day_bar& bar) {
  const auto shares = bar.factor ? split_shares(*bar.factor) : std::nullopt;
  if (!shares) return std::nullopt;
  return bunkatu_row{yyyymmdd(bar.day), std::to_string(shares->first),
                     std::to_string(shares->second)};
}

}  // namespace karigane
