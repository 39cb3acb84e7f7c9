// What a chart draws of a series for the bars in view. Never more bars than the width can
// show: beyond that, runs of consecutive bars are merged into one by the rule that makes weeks
// and months (the first open, the highest high, the lowest low, the last close, the sum of the
// volumes). Every run has the same length and begins at a multiple of it, so that panning
// moves whole runs in and out of view and never regroups those that stay; zooming in shortens
// the runs down to single bars. Positions are on the series' bar axis: bar i stands at i, a
// run at the middle of its bars. The work is linear in the bars in view.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "chart/chart_series.h"

namespace karigane {

struct drawn_bar {
  double at = 0;
  chart_bar bar;
};

struct drawn_margin {
  double at = 0;
  double sold = 0;
  double bought = 0;
};

struct chart_frame {
  std::size_t run = 1;          // series bars merged into each drawn bar
  std::vector<drawn_bar> bars;  // ascending
  std::optional<date> before;   // the last day before the first drawn bar, when there is one
  // The balance at the end of each drawn run that has one, at the run's place, and the
  // nearest balance on either side of them, so that the lines reach the edges of the view.
  std::vector<drawn_margin> margin;
  double low = 0;  // the lowest low and highest high drawn
  double high = 0;
  double volume = 0;  // the highest volume drawn
  double margin_top = 0;
};

// The frame of the bars between `first` and `last` on the bar axis (fractions allowed; a bar
// at least partly between them is in view), no more than `max_bars` drawn.
chart_frame frame_of(const chart_series& series, double first, double last, std::size_t max_bars);

}  // namespace karigane
