// The chart of one stock's series (Qt Charts): candlesticks in the upper three quarters,
// volume bars below them, the split days marked above their bars, and the margin balances
// (sold and bought) as two lines on their own axis at the right. The horizontal axis counts
// bars, so days without trading leave no gaps; its labels are the dates where years or months
// begin. The view zooms and pans along the bars: mouse wheel, dragging a band, "+"/"-", the
// arrow keys, Home to see everything again.
#pragma once

#include <QChartView>
#include <QString>

#include "chart/chart_series.h"

class QChart;

namespace karigane {

class chart_view : public QChartView {
 public:
  explicit chart_view(QWidget* parent = nullptr);

  // Replaces the chart with one of `series` (all bars visible).
  void show_series(const chart_series& series);

  // Shows bars [first, last] (fractions allowed), kept within the series.
  void show_bars(double first, double last);
  double first_shown() const { return first_; }
  double last_shown() const { return last_; }
  std::size_t bar_count() const { return bars_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void zoom(double factor, double centre);
  void pan(double bars);

  std::size_t bars_ = 0;
  double first_ = 0;
  double last_ = 0;
};

// Renders the chart of `series` offscreen into a PNG file of `width` x `height` pixels.
bool render_chart_png(const chart_series& series, const QString& path, int width, int height);

}  // namespace karigane
