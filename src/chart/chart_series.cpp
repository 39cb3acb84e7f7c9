// The chart's series: see chart_series.h.
#include "chart/chart_series.h"

#include <algorithm>

#include "adjust/price_adjustment.h"
#include "margin/margin_files.h"
#include "timeseries/price_files.h"
#include "core/file_store.h"

namespace karigane {
namespace {

std::optional<double> number(const std::string& text) { return stored_number(text); }


bool newer_or_same(const file_stamp& a, const file_stamp& b) {
  return !b.exists || a.mtime_ns >= b.mtime_ns;
}

}  // namespace

long span_key(const date& d, bar_span span) {
  if (span == bar_span::monthly) return d.y * 12L + d.m;
  if (span == bar_span::weekly) {
    const long days = days_from_civil(d) + 3;  // 1970-01-01 was a Thursday
    return days >= 0 ? days / 7 : (days - 6) / 7;
  }
  return days_from_civil(d);
}

std::vector<chart_bar> daily_bars(const jikeiretu_data_t& prices,
                                  std::span<const volume_factor> volumes) {
  std::vector<chart_bar> bars;
  if (prices.empty()) return bars;
  const std::size_t n = std::min(price_count(prices), prices.size() - 1);
  bars.reserve(n);
  for (std::size_t k = 1; k <= n; ++k) {
    const jikeiretu_row& row = prices[k];
    const std::optional<date> day = parse_yyyymmdd(row[0]);
    const std::optional<double> close = number(row[4]);
    if (!day || !close) continue;
    chart_bar b;
    b.first = b.last = *day;
    b.close = *close;
    b.open = number(row[1]).value_or(*close);
    b.high = std::max({number(row[2]).value_or(*close), b.open, b.close});
    b.low = std::min({number(row[3]).value_or(*close), b.open, b.close});
    b.volume = number(row[5]).value_or(0);
    if (k <= volumes.size()) b.volume = volumes[k - 1].of(b.volume);
    bars.push_back(b);
  }
  return bars;
}

std::vector<chart_bar> bars_between(const std::vector<chart_bar>& bars, std::optional<date> from,
                                    std::optional<date> to) {
  std::vector<chart_bar> out;
  for (const chart_bar& b : bars) {
    if (from && b.last < *from) continue;
    if (to && b.first > *to) continue;
    out.push_back(b);
  }
  return out;
}

void merge_bar(chart_bar& into, const chart_bar& next) {
  into.last = next.last;
  into.high = std::max(into.high, next.high);
  into.low = std::min(into.low, next.low);
  into.close = next.close;
  into.volume += next.volume;
  into.split = into.split || next.split;
}

std::vector<chart_bar> aggregate_bars(const std::vector<chart_bar>& daily, bar_span span) {
  if (span == bar_span::daily) return daily;
  std::vector<chart_bar> out;
  long key = 0;
  for (const chart_bar& d : daily) {
    const long k = span_key(d.first, span);
    if (out.empty() || k != key) {
      out.push_back(d);
      key = k;
      continue;
    }
    merge_bar(out.back(), d);
  }
  return out;
}

std::vector<date> mark_splits(std::vector<chart_bar>& bars, const bunkatu_list_t& splits) {
  std::vector<date> days;
  if (bars.empty() || splits.empty()) return days;
  const std::size_t m = std::min(split_count(splits), splits.size() - 1);
  for (std::size_t k = 1; k <= m; ++k) {
    const std::optional<date> d = parse_yyyymmdd(splits[k][0]);
    if (!d || *d < bars.front().first || *d > bars.back().last) continue;
    const auto it = std::lower_bound(bars.begin(), bars.end(), *d,
                                     [](const chart_bar& b, const date& x) { return b.last < x; });
    if (it == bars.end()) continue;
    it->split = true;
    days.push_back(*d);
  }
  return days;
}

std::vector<margin_point> align_margin(const std::vector<chart_bar>& bars,
                                       const credit_tbl_t& margin) {
  std::vector<margin_point> out;
  if (bars.empty() || margin.empty()) return out;
  const std::size_t n = std::min(credit_count(margin), margin.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    const std::optional<date> d = parse_yyyymmdd(margin[k][kCreditDate]);
    const std::optional<double> sold = number(margin[k][1]);
    const std::optional<double> bought = number(margin[k][2]);
    if (!d || !sold || !bought || *d < bars.front().first || *d > bars.back().last) continue;
    const auto it = std::lower_bound(bars.begin(), bars.end(), *d,
                                     [](const chart_bar& b, const date& x) { return b.last < x; });
    const auto bar = static_cast<std::size_t>(it - bars.begin());
    if (!out.empty() && out.back().bar == bar) out.pop_back();
    out.push_back({bar, *d, *sold, *bought});
  }
  return out;
}

chart_load load_chart_series(const program_layout& layout, const chart_request& request,
                             chart_series& series, std::string& message) {
  series = chart_series{};
  series.code = request.code;
  series.span = request.span;
  const std::string price_path = layout.price_file(request.code);
  jikeiretu_data_t prices;
  const status r = read_dated_file(price_path, prices, kPriceFile, false);
  if (r == status::missing) {
    message = request.code + " の時系列株価ファイルがありません。";
    return chart_load::no_prices;
  }
  if (r != status::ok) {
    message = price_path + " を最後まで読めません。";
    return chart_load::unreadable;
  }
  series.market = prices[0][kPriceMarket];
  series.name = prices[0][kPriceName];

  bunkatu_list_t splits;
  const std::string split_path = layout.split_file(request.code);
  const status split_read = read_dated_file(split_path, splits, kSplitFile, false);
  if (split_read != status::ok) splits.clear();
  if (request.adjusted) {
    if (split_read != status::ok && split_read != status::missing) {
      message = split_path + " を最後まで読めないため、調整後株価を計算できません。";
      return chart_load::unreadable;
    }
    // The adjusted file is used when it was written after the series and its split list.
    const std::string adjusted_path = layout.adjusted_price_file(request.code);
    const file_stamp adjusted_stamp = stamp_of(adjusted_path);
    jikeiretu_data_t adjusted;
    if (adjusted_stamp.exists && newer_or_same(adjusted_stamp, stamp_of(price_path)) &&
        newer_or_same(adjusted_stamp, stamp_of(split_path)) &&
        read_dated_file(adjusted_path, adjusted, kPriceFile, false) == status::ok) {
      prices = std::move(adjusted);
      series.adjustment = chart_adjustment::from_files;
    } else {
      if (split_read == status::ok) adjust_prices_for_splits(splits, prices);
      series.adjustment = chart_adjustment::computed;
    }
  }
  // Adjusted prices come with adjusted volumes (the stored files keep them as traded).
  std::vector<volume_factor> volumes;
  if (request.adjusted && split_read == status::ok) {
    const std::size_t n = prices.empty() ? 0 : std::min(price_count(prices), prices.size() - 1);
    std::vector<std::string_view> dates;
    dates.reserve(n);
    for (std::size_t k = 1; k <= n; ++k) dates.push_back(prices[k][0]);
    volumes = volume_factors(splits, dates);
  }
  series.bars = aggregate_bars(
      bars_between(daily_bars(prices, volumes), request.from, request.to), request.span);
  series.split_days = mark_splits(series.bars, splits);

  credit_tbl_t margin;
  if (read_dated_file(layout.margin_file(request.code), margin, kMarginFile, false) == status::ok) {
    series.has_margin = true;
    series.margin = align_margin(series.bars, margin);
  }
  if (series.bars.empty()) {
    message = request.code + " にはこの期間の株価がありません。";
    return chart_load::no_prices;
  }
  return chart_load::ok;
}

std::string chart_title(const chart_series& series) {
  std::string title = series.code;
  if (!series.name.empty()) title += " " + series.name;
  if (!series.market.empty()) title += "（" + series.market + "）";
  title += series.span == bar_span::weekly    ? " 週足"
           : series.span == bar_span::monthly ? " 月足"
                                              : " 日足";
  if (series.adjustment != chart_adjustment::raw) title += " 調整後";
  return title;
}

}  // namespace karigane
