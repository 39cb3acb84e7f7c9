// The chart window: one stock's chart (chart_view.h) with the choice of daily, weekly or
// monthly bars and of raw or split-adjusted prices. Opened by the main window's "チャート"
// button for the code in the code box and the period of the period lists, or by
// `karigane chart CODE`.
#pragma once

#include <QWidget>

#include "kinds/program_layout.h"
#include "chart/chart_series.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace karigane {

class chart_view;

class chart_window : public QWidget {
  Q_OBJECT

 public:
  chart_window(const program_layout& layout, const chart_request& request,
               QWidget* parent = nullptr);

  // Reads the stored files again and redraws; false (and the reason shown) when the stock has
  // no series to draw.
  bool reload();
  const chart_series& series() const { return series_; }
  chart_view* view() const { return view_; }

 private:
  program_layout layout_;
  chart_request request_;
  chart_series series_;
  chart_view* view_ = nullptr;
  QComboBox* span_cmb_ = nullptr;
  QCheckBox* adjusted_chk_ = nullptr;
  QLabel* message_lb_ = nullptr;
};

}  // namespace karigane
