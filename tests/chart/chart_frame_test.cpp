// What a chart draws of the bars in view: never more bars than the width shows, runs that stay
// put while panning, value axes with round bounds that never run below zero, and date labels
// that never overlap at any zoom.
#include "chart/chart_frame.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chart/chart_scales.h"

namespace karigane {
namespace {

// Weekdays from Monday 2 January 2006, bar i closing at 100 + i % 7 (high +5, low -5), volume
// i + 1; a split on bar 500; a margin balance every fifth bar.
chart_series weekdays(std::size_t n) {
  chart_series s;
  date d{2006, 1, 2};
  for (std::size_t i = 0; i < n; ++i) {
    const double close = 100 + static_cast<double>(i % 7);
    chart_bar b{d, d, close - 1, close + 5, close - 5, close, static_cast<double>(i + 1), i == 500};
    s.bars.push_back(b);
    if (i % 5 == 0)
      s.margin.push_back({i, d, static_cast<double>(i), 2.0 * static_cast<double>(i)});
    const bool friday = (days_from_civil(d) + 4) % 7 == 5;  // 1970-01-01 was a Thursday
    d = add_days(d, friday ? 3 : 1);
  }
  return s;
}

TEST(ChartFrame, NeverDrawsMoreBarsThanFitAndPanningKeepsTheRuns) {
  const chart_series s = weekdays(20000);
  const struct {
    double first, last;
    std::size_t max_bars, run;
  } cases[] = {
      {-0.5, 19999.5, 260, 78},  // everything: 20,000 bars in runs of 78
      {100.2, 140.7, 260, 1},    // a zoom that shows single days
      {999.5, 1999.5, 250, 5},   // a thousand bars (and the one at each edge) at 250 a view
      {-0.5, 0.5, 260, 1},
  };
  for (const auto& c : cases) {
    const chart_frame f = frame_of(s, c.first, c.last, c.max_bars);
    ASSERT_LE(f.bars.size(), c.max_bars) << c.first;
    EXPECT_EQ(f.run, c.run) << c.first;
    // Each drawn bar merges its run of the series (beginning at a multiple of the run's
    // length): first open, extremes, last close, summed volume, at the middle of the run.
    for (const drawn_bar& d : f.bars) {
      const std::size_t begin = static_cast<std::size_t>(d.at) / f.run * f.run;
      const std::size_t end = std::min(begin + f.run, s.bars.size());
      EXPECT_DOUBLE_EQ(d.at, (static_cast<double>(begin) + static_cast<double>(end - 1)) / 2);
      chart_bar want = s.bars[begin];
      for (std::size_t i = begin + 1; i < end; ++i) merge_bar(want, s.bars[i]);
      EXPECT_EQ(d.bar.first, want.first);
      EXPECT_EQ(d.bar.last, want.last);
      EXPECT_EQ(std::tie(d.bar.open, d.bar.high, d.bar.low, d.bar.close, d.bar.volume, d.bar.split),
                std::tie(want.open, want.high, want.low, want.close, want.volume, want.split));
    }
    // Every bar in view is in a drawn run: the first run begins, the last ends, in view.
    ASSERT_FALSE(f.bars.empty());
    const auto begin_of = [&](double at) {
      return static_cast<double>(static_cast<std::size_t>(at) / f.run * f.run);
    };
    EXPECT_LE(begin_of(f.bars.front().at), std::max(c.first, 0.0) + 0.5);
    EXPECT_GE(2 * f.bars.back().at - begin_of(f.bars.back().at), c.last - 0.5);

    // Panned by a third of the view (as far as the series goes): the runs still in view are
    // drawn as they were.
    const double shift = std::min((c.last - c.first) / 3, 19999.5 - c.last);
    const chart_frame panned = frame_of(s, c.first + shift, c.last + shift, c.max_bars);
    EXPECT_EQ(panned.run, f.run);
    for (const drawn_bar& d : panned.bars) {
      for (const drawn_bar& e : f.bars) {
        if (e.at == d.at) {
          EXPECT_EQ(e.bar.volume, d.bar.volume) << d.at;
        }
      }
    }
  }
  // The balances: the last of each drawn run, and one on either side of the view.
  const chart_frame f = frame_of(s, 999.5, 1999.5, 250);
  ASSERT_GE(f.margin.size(), 2u);
  EXPECT_LT(f.margin.front().at, f.bars.front().at);
  EXPECT_GT(f.margin.back().at, f.bars.back().at);
  EXPECT_EQ(f.margin[1].at, f.bars.front().at);
  EXPECT_EQ(f.margin[1].sold, 995);  // bar 995 has the first run's only balance
}

TEST(ChartScales, RoundBoundsThatHoldTheValuesAndNeverRunBelowZero) {
  const struct {
    double low, high;
    int intervals;
    value_scale want;
  } cases[] = {
      {1032, 1481, 6, {1000, 1500, 100, 0}},
      {3, 9, 3, {0, 10, 5, 0}},  // 2-10 by 2 would take four steps
      {0.31, 0.48, 5, {0.3, 0.5, 0.05, 2}},
      {0, 87654321, 2, {0, 100000000, 50000000, 0}},
      {500, 500, 6, {470, 530, 10, 0}},  // one value: widened around it
      {0, 0, 2, {0, 1, 0.5, 1}},         // nothing at all: never below zero
      {2, 3, 6, {2, 3, 0.2, 1}},
  };
  for (const auto& c : cases) {
    const value_scale s = nice_scale(c.low, c.high, c.intervals);
    EXPECT_DOUBLE_EQ(s.min, c.want.min) << c.low << " " << c.high;
    EXPECT_DOUBLE_EQ(s.max, c.want.max) << c.low << " " << c.high;
    EXPECT_DOUBLE_EQ(s.step, c.want.step) << c.low << " " << c.high;
    EXPECT_EQ(s.decimals, c.want.decimals) << c.low << " " << c.high;
    EXPECT_LE(s.intervals(), c.intervals);
    EXPECT_GE(s.min, 0);
    EXPECT_LE(s.min, c.low);
    EXPECT_GE(s.max, c.high);
  }
}

TEST(ChartScales, DateLabelsNeverOverlapAtAnyZoom) {
  const chart_series s = weekdays(5000);  // 2006 to 2025
  // Eight pixels a character, a gap of twelve.
  const auto width = [](const std::string& text) { return 8.0 * static_cast<double>(text.size()); };
  const struct {
    double first, last, plot_width;
    const char* first_label;  // the finest period that fits
  } cases[] = {
      {-0.5, 4999.5, 600, "2006"},         // twenty years: every second year
      {-0.5, 4999.5, 1000, "2006"},        // wider: every year
      {249.5, 999.5, 1000, "2007/01"},     // three years: quarters or half years
      {259.5, 299.5, 1000, "2007/01/01"},  // forty days: every day or week
      {259.5, 299.5, 200, "2007/01"},      // the same days, narrow: the months
  };
  for (const auto& c : cases) {
    const auto max_bars = static_cast<std::size_t>(c.plot_width / 4);
    const chart_frame f = frame_of(s, c.first, c.last, max_bars);
    const double pixels_per_bar = c.plot_width / (c.last - c.first);
    const std::vector<date_label> labels =
        date_labels(f, c.first, c.last, pixels_per_bar, 12, width);
    ASSERT_FALSE(labels.empty()) << c.first << " " << c.plot_width;
    EXPECT_EQ(labels.front().text, c.first_label) << c.first << " " << c.plot_width;
    for (std::size_t i = 1; i < labels.size(); ++i) {
      const double room = (width(labels[i - 1].text) + width(labels[i].text)) / 2 + 12;
      EXPECT_GE((labels[i].at - labels[i - 1].at) * pixels_per_bar, room)
          << labels[i - 1].text << " " << labels[i].text;
    }
    for (const date_label& l : labels) {
      EXPECT_GE(l.at, c.first);
      EXPECT_LE(l.at, c.last);
    }
  }
}

}  // namespace
}  // namespace karigane
