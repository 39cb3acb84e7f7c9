// The series a chart of one stock shows, computed from the stored files without any toolkit,
// so that the window, the command line's PNG and the tests draw the same thing: daily bars
// from the price file (raw, or adjusted across splits: from the adjusted file when it is at
// least as new as the series and its split list, else by the adjusted files' own rule, with
// the volumes adjusted by the same splits), bars
// of weeks (Monday to Sunday) or months built from the days stored, the split days, and the
// margin balances attached to the bars they fall in.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "adjust/price_adjustment.h"
#include "core/dates.h"
#include "kinds/program_layout.h"
#include "margin/credit_table.h"
#include "timeseries/price_table.h"

namespace karigane {

enum class bar_span { daily, weekly, monthly };

struct chart_bar {
  date first;  // the first and last stored day the bar covers
  date last;
  double open = 0, high = 0, low = 0, close = 0;
  double volume = 0;
  bool split = false;  // a split takes effect within the bar (or in the gap before it)
};

struct margin_point {
  std::size_t bar = 0;  // the bar the balance belongs to: the first that ends on or after it
  date day;
  double sold = 0;
  double bought = 0;
};

struct chart_request {
  std::string code;
  std::optional<date> from;
  std::optional<date> to;
  bool adjusted = false;
  bar_span span = bar_span::daily;
};

enum class chart_adjustment { raw, from_files, computed };

struct chart_series {
  std::string code, name, market;
  bar_span span = bar_span::daily;
  chart_adjustment adjustment = chart_adjustment::raw;
  std::vector<chart_bar> bars;
  std::vector<date> split_days;  // the splits that fall within the bars' period
  bool has_margin = false;       // a margin file is stored
  std::vector<margin_point> margin;
};

// The bar a day belongs to (its day, its Monday-to-Sunday week or its month) as a number that
// grows with time.
long span_key(const date& d, bar_span span);

// Daily bars of rows 1..n (ascending); a day without a readable close is left out, a missing
// open, high or low takes the close, a missing volume is 0. Row k's volume is multiplied by
// volumes[k - 1] when factors are given (adjusted volumes).
std::vector<chart_bar> daily_bars(const jikeiretu_data_t& prices,
                                  std::span<const volume_factor> volumes = {});

// Only the bars from `from` to `to` (either may be absent).
std::vector<chart_bar> bars_between(const std::vector<chart_bar>& bars, std::optional<date> from,
                                    std::optional<date> to);

// Merges `next`, the bar after `into`, into it: the first open, the highest high, the lowest
// low, the last close, the sum of the volumes.
void merge_bar(chart_bar& into, const chart_bar& next);

// Weekly or monthly bars of daily ones, merged by merge_bar(); weeks or months without a stored
// day have no bar.
std::vector<chart_bar> aggregate_bars(const std::vector<chart_bar>& daily, bar_span span);

// Marks the bar of every split day, and returns the split days that a bar covers.
std::vector<date> mark_splits(std::vector<chart_bar>& bars, const bunkatu_list_t& splits);

// The margin rows (ascending) that fall within the bars, each attached to the first bar that
// ends on or after its date; of several in one bar the last (the balance at the bar's end)
// stays.
std::vector<margin_point> align_margin(const std::vector<chart_bar>& bars,
                                       const credit_tbl_t& margin);

enum class chart_load { ok, no_prices, unreadable };

// Loads the series of a stock from the stored files; on failure `message` says why (Japanese).
chart_load load_chart_series(const program_layout& layout, const chart_request& request,
                             chart_series& series, std::string& message);

// "1301 極洋（東証1部）", and the span and adjustment: the chart's title.
std::string chart_title(const chart_series& series);

}  // namespace karigane
