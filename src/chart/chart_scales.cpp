// The scales of a chart's axes: see chart_scales.h.
#include "chart/chart_scales.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace karigane {
namespace {

// The smallest of 1, 2, 5 times a power of ten that is not below `x` (> 0).
double nice_step(double x) {
  const double power = std::pow(10.0, std::floor(std::log10(x)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= x * (1 - 1e-12)) return m * power;
  }
  return 10 * power;
}

// The calendar periods labels may begin, finest first.
struct period {
  enum class kind { day, week, months, years } k;
  int every = 1;
};
constexpr period kPeriods[] = {
    {period::kind::day},        {period::kind::week},      {period::kind::months, 1},
    {period::kind::months, 2},  {period::kind::months, 3}, {period::kind::months, 6},
    {period::kind::years, 1},   {period::kind::years, 2},  {period::kind::years, 5},
    {period::kind::years, 10},  {period::kind::years, 20}, {period::kind::years, 50},
    {period::kind::years, 100},
};

long period_key(const date& d, const period& p) {
  switch (p.k) {
    case period::kind::day:
      return span_key(d, bar_span::daily);
    case period::kind::week:
      return span_key(d, bar_span::weekly);
    case period::kind::months:
      return (d.y * 12L + d.m - 1) / p.every;
    case period::kind::years:
      return d.y / p.every;
  }
  return 0;
}

std::string label_text(const chart_bar& b, const period& p) {
  char text[16];
  switch (p.k) {
    case period::kind::day:
    case period::kind::week:
      return slash_text(b.first);
    case period::kind::months:
      std::snprintf(text, sizeof text, "%04d/%02d", b.last.y % 10000, b.last.m % 100);
      return text;
    case period::kind::years:
      std::snprintf(text, sizeof text, "%04d", b.last.y % 10000);
  }
  return text;
}

}  // namespace

int value_scale::intervals() const { return static_cast<int>(std::lround((max - min) / step)); }

value_scale nice_scale(double low, double high, int intervals) {
  if (!std::isfinite(low) || !std::isfinite(high)) low = 0, high = 1;
  if (high < low) std::swap(low, high);
  const bool not_negative = low >= 0;
  if (high - low <= std::max(std::fabs(high), 1.0) * 1e-9) {
    const double pad = std::max(std::fabs(low) * 0.05, 1.0);
    low -= pad;
    high += pad;
    if (not_negative) low = std::max(low, 0.0);
  }
  intervals = std::max(intervals, 1);
  for (double step = nice_step((high - low) / intervals);; step = nice_step(step * 1.5)) {
    // Whole steps, counted as integers so that the bounds are exact multiples of the step.
    double from = std::floor(low / step + 1e-9);
    const double to = std::ceil(high / step - 1e-9);
    if (not_negative) from = std::max(from, 0.0);
    if (to - from > intervals) continue;
    value_scale s;
    s.step = step;
    s.min = from * step;
    s.max = to * step;
    s.decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return s;
  }
}

count_unit count_unit_for(double top) {
  if (top >= 1e9) return {1e8, "億株"};
  if (top >= 1e5) return {1e4, "万株"};
  return {};
}

std::vector<date_label> date_labels(const chart_frame& frame, double first, double last,
                                    double pixels_per_bar, double gap,
                                    const std::function<double(const std::string&)>& text_width) {
  std::vector<date_label> labels, kept;
  std::vector<double> widths;
  for (const period& p : kPeriods) {
    labels.clear();
    widths.clear();
    std::optional<long> previous;
    if (frame.before) previous = period_key(*frame.before, p);
    for (const drawn_bar& d : frame.bars) {
      const long key = period_key(d.bar.last, p);
      const bool begins = !previous || key != *previous;
      previous = key;
      if (!begins || d.at < first || d.at > last) continue;
      labels.push_back({d.at, label_text(d.bar, p)});
      widths.push_back(text_width(labels.back().text));
    }
    // A label too close to the one kept before it is left out. A period whose labels mostly
    // fit is taken so (a short week or month at the turn of the year costs one label); one
    // where many collide leaves its place to the next longer period.
    kept.clear();
    double kept_width = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (!kept.empty() &&
          (labels[i].at - kept.back().at) * pixels_per_bar < (kept_width + widths[i]) / 2 + gap) {
        continue;
      }
      kept.push_back(std::move(labels[i]));
      kept_width = widths[i];
    }
    if (kept.size() * 4 >= labels.size() * 3) return kept;
  }
  return kept;  // the longest period, thinned
}

}  // namespace karigane
