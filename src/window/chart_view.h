// The chart of one stock's series (Qt Charts), in two panes over the same bars: candlesticks
// above, with the split days marked over their bars and the margin balances (sold and bought)
// as two lines on their own axis at the right; volume below, on its own scale. The horizontal
// axis counts bars, so days without trading leave no gaps; its labels are the starts of days,
// weeks, months or years, as many as fit without overlapping. Only the bars in view are drawn,
// no more than the width can show (chart_frame.h), so that drawing costs the same however long
// the series; the value axes fit the bars in view with round bounds. Every series keeps its
// colour whatever is in view. The view zooms and pans along the bars: mouse wheel, dragging a
// band, "+"/"-", the arrow keys, Home to see everything again.
#pragma once

#include <QString>
#include <QWidget>

#include "chart/chart_frame.h"
#include "chart/chart_series.h"
#include "chart/picture_format.h"

class QCandlestickSeries;
class QCategoryAxis;
class QChart;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace karigane {

class chart_view : public QWidget {
 public:
  explicit chart_view(QWidget* parent = nullptr);

  // Replaces the chart with one of `series` (all bars in view).
  void show_series(const chart_series& series);

  // Shows bars [first, last] (fractions allowed), kept within the series.
  void show_bars(double first, double last);
  double first_shown() const { return first_; }
  double last_shown() const { return last_; }
  std::size_t bar_count() const { return series_.bars.size(); }

  // What is drawn now, and the two panes' charts.
  const chart_frame& frame() const { return frame_; }
  QChart* price_chart() const;
  QChart* volume_chart() const;

  // The series' colours.
  static const QColor kRising, kFalling, kVolume, kSplit, kSold, kBought;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class pane;

  void build();
  void redraw();
  void align_panes();
  void zoom(double factor, double centre);
  void pan(double bars);
  void wheel_at(double x, int delta);

  chart_series series_;
  chart_frame frame_;
  double first_ = 0;
  double last_ = 0;

  pane* price_view_ = nullptr;
  pane* volume_view_ = nullptr;
  QCandlestickSeries* candles_ = nullptr;
  QCandlestickSeries* volumes_ = nullptr;
  QScatterSeries* splits_ = nullptr;
  QLineSeries* sold_ = nullptr;
  QLineSeries* bought_ = nullptr;
  QLineSeries* price_anchor_ = nullptr;
  QLineSeries* volume_anchor_ = nullptr;
  QValueAxis* price_bars_ = nullptr;  // the bar axis of the candles (no labels)
  QCategoryAxis* price_dates_ = nullptr;
  QValueAxis* price_axis_ = nullptr;
  QValueAxis* margin_axis_ = nullptr;
  QValueAxis* volume_bars_ = nullptr;
  QCategoryAxis* volume_dates_ = nullptr;
  QValueAxis* volume_axis_ = nullptr;
};

// Renders the chart of `series` offscreen, `width` x `height` pixels, into a file of `format`;
// the file is written whole or not at all.
bool render_chart_picture(const chart_series& series, const QString& path, picture_format format,
                          int width, int height);

}  // namespace karigane
