// The scales of a chart's axes: value axes with round bounds and steps, and the date labels of
// the bar axis, chosen so that they never overlap whatever the zoom.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/chart_frame.h"

namespace karigane {

struct value_scale {
  double min = 0;
  double max = 1;
  double step = 1;
  int decimals = 0;  // the digits after the point that the step needs
  int intervals() const;
};

// The narrowest range of whole steps (1, 2 or 5 times a power of ten), at most `intervals`
// of them, that holds [low, high]; it never begins below zero when `low` does not. An empty
// range is widened around its value.
value_scale nice_scale(double low, double high, int intervals);

// The unit of an axis of share counts (volume, margin balances) that keeps its labels to five
// digits: shares, 万 (ten thousand) or 億 (a hundred million) shares.
struct count_unit {
  double size = 1;
  std::string name;  // "" for single shares, "万株", "億株"
};
count_unit count_unit_for(double top);

struct date_label {
  double at = 0;  // on the bar axis
  std::string text;
};

// The labels of the drawn bars that begin a calendar period ("2013/01/07" for a day or a
// week, "2013/04" for one, two, three or six months, "2013" for one, two, five, ten...
// years), `text_width(text)` pixels wide and never less than `gap` pixels apart at
// `pixels_per_bar`: the finest period where no more than a quarter of the labels would have
// to be left out for that. Only labels between `first` and `last` are made.
std::vector<date_label> date_labels(const chart_frame& frame, double first, double last,
                                    double pixels_per_bar, double gap,
                                    const std::function<double(const std::string&)>& text_width);

}  // namespace karigane
