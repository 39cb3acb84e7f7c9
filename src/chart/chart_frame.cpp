// The bars a chart draws: see chart_frame.h.
#include "chart/chart_frame.h"

#include <algorithm>
#include <cmath>

namespace karigane {
namespace {

// Bars [begin, end) of run g: the run's place is the middle of its bars.
struct run_span {
  std::size_t begin, end;
  double at() const { return (static_cast<double>(begin) + static_cast<double>(end - 1)) / 2; }
};

run_span run_of(std::size_t g, std::size_t run, std::size_t n) {
  return {g * run, std::min(n, g * run + run)};
}

}  // namespace

chart_frame frame_of(const chart_series& s, double first, double last, std::size_t max_bars) {
  chart_frame f;
  const std::size_t n = s.bars.size();
  if (n == 0 || !(first <= last)) return f;
  // Bar i spans [i - 0.5, i + 0.5].
  const double top = static_cast<double>(n - 1);
  const auto lo = static_cast<std::size_t>(std::clamp(std::ceil(first - 0.5), 0.0, top));
  const auto hi = static_cast<std::size_t>(std::clamp(std::floor(last + 0.5), 0.0, top));
  if (lo > hi) return f;
  // The run's length depends on the view's width alone, never on where the view stands, so
  // that panning cannot regroup: the shortest whose runs, at most `max_bars`, hold the most
  // bars a view this wide touches, wherever it begins.
  max_bars = std::max<std::size_t>(2, max_bars);
  const auto touched = static_cast<std::size_t>(std::floor(last - first)) + 2;
  std::size_t run = std::max<std::size_t>(1, touched / max_bars);
  while ((touched - 1 + run - 1) / run + 1 > max_bars) ++run;
  f.run = run;

  const std::size_t g0 = lo / run;
  const std::size_t g1 = hi / run;
  f.bars.reserve(g1 - g0 + 1);
  for (std::size_t g = g0; g <= g1; ++g) {
    const run_span r = run_of(g, run, n);
    chart_bar b = s.bars[r.begin];
    for (std::size_t i = r.begin + 1; i < r.end; ++i) merge_bar(b, s.bars[i]);
    f.bars.push_back({r.at(), b});
  }
  f.low = f.bars.front().bar.low;
  f.high = f.bars.front().bar.high;
  for (const drawn_bar& d : f.bars) {
    f.low = std::min(f.low, d.bar.low);
    f.high = std::max(f.high, d.bar.high);
    f.volume = std::max(f.volume, d.bar.volume);
  }
  const std::size_t begin = g0 * run;
  const std::size_t end = run_of(g1, run, n).end;
  if (begin > 0) f.before = s.bars[begin - 1].last;

  // The balances (one a bar, ascending) of the drawn runs, the last of each run, and their
  // neighbours outside.
  const auto by_bar = [](const margin_point& p, std::size_t bar) { return p.bar < bar; };
  const auto from = std::lower_bound(s.margin.begin(), s.margin.end(), begin, by_bar);
  const auto to = std::lower_bound(from, s.margin.end(), end, by_bar);
  const auto add = [&](const margin_point& p) {
    const double at = run_of(p.bar / run, run, n).at();
    if (!f.margin.empty() && f.margin.back().at == at) f.margin.pop_back();
    f.margin.push_back({at, p.sold, p.bought});
    f.margin_top = std::max({f.margin_top, p.sold, p.bought});
  };
  if (from != s.margin.begin()) add(*(from - 1));
  for (auto it = from; it != to; ++it) add(*it);
  if (to != s.margin.end()) add(*to);
  return f;
}

}  // namespace karigane
