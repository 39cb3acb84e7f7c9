// The chart of a series: see chart_view.h.
#include "window/chart_view.h"

#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>

namespace karigane {
namespace {

QString qt_text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString date_label(const date& d, bool with_day) {
  return with_day ? QString::asprintf("%04d/%02d/%02d", d.y, d.m, d.d)
                  : QString::asprintf("%04d/%02d", d.y, d.m);
}

// Labels where a year begins, or a month when the series spans less than two years, at most
// about a dozen, so they never overlap.
void label_axis(QCategoryAxis* axis, const chart_series& s) {
  const auto& bars = s.bars;
  const bool months = bars.back().first.y - bars.front().first.y < 2;
  std::vector<std::pair<std::size_t, date>> starts;
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const date& d = bars[i].first;
    const bool begins = i == 0 || (months ? d.m != bars[i - 1].first.m || d.y != bars[i - 1].first.y
                                          : d.y != bars[i - 1].first.y);
    if (begins) starts.emplace_back(i, d);
  }
  const std::size_t step = std::max<std::size_t>(1, (starts.size() + 11) / 12);
  for (std::size_t k = 0; k < starts.size(); k += step) {
    axis->append(date_label(starts[k].second, false), static_cast<double>(starts[k].first));
  }
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
}

void build_chart(QChart* chart, const chart_series& s) {
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  chart->setTitle(qt_text(chart_title(s)));
  chart->legend()->setAlignment(Qt::AlignBottom);
  if (s.bars.empty()) return;

  double low = s.bars.front().low, high = s.bars.front().high, volume = 0;
  for (const chart_bar& b : s.bars) {
    low = std::min(low, b.low);
    high = std::max(high, b.high);
    volume = std::max(volume, b.volume);
  }
  if (high <= low) high = low + 1;

  // Candlesticks take only a value axis; the dates stand on a category axis over the same
  // range, which carries the lines. Zooming keeps the two equal (show_bars()).
  auto* x = new QCategoryAxis;
  x->setRange(-0.5, static_cast<double>(s.bars.size()) - 0.5);
  label_axis(x, s);
  x->setGridLineVisible(true);
  chart->addAxis(x, Qt::AlignBottom);
  auto* x_values = new QValueAxis;
  x_values->setRange(x->min(), x->max());
  x_values->setVisible(false);
  chart->addAxis(x_values, Qt::AlignBottom);

  // Prices take the upper three quarters, volume the lowest quarter of the same plot.
  auto* price_axis = new QValueAxis;
  const double span = high - low;
  price_axis->setRange(low - span / 3.0 - span * 0.02, high + span * 0.06);
  price_axis->setLabelFormat("%.0f");
  chart->addAxis(price_axis, Qt::AlignLeft);
  auto* volume_axis = new QValueAxis;
  volume_axis->setRange(0, volume > 0 ? volume * 4 : 1);
  volume_axis->setVisible(false);
  chart->addAxis(volume_axis, Qt::AlignLeft);

  auto* candles = new QCandlestickSeries;
  candles->setName(QString::fromUtf8("株価"));
  candles->setIncreasingColor(QColor(0xd0, 0x30, 0x30));
  candles->setDecreasingColor(QColor(0x20, 0x60, 0xc0));
  candles->setBodyOutlineVisible(false);
  auto* volumes = new QCandlestickSeries;
  volumes->setName(QString::fromUtf8("出来高"));
  volumes->setIncreasingColor(QColor(0x90, 0x90, 0x90));
  volumes->setBodyOutlineVisible(false);
  volumes->setCapsVisible(false);
  for (std::size_t i = 0; i < s.bars.size(); ++i) {
    const chart_bar& b = s.bars[i];
    const auto at = static_cast<qreal>(i);
    candles->append(new QCandlestickSet(b.open, b.high, b.low, b.close, at));
    volumes->append(new QCandlestickSet(0, b.volume, 0, b.volume, at));
  }
  chart->addSeries(volumes);
  volumes->attachAxis(x_values);
  volumes->attachAxis(volume_axis);
  chart->addSeries(candles);
  candles->attachAxis(x_values);
  candles->attachAxis(price_axis);
  // The date axis is drawn only with a series of its own: the closes, as an invisible line.
  auto* anchor = new QLineSeries;
  anchor->setPen(Qt::NoPen);
  for (std::size_t i = 0; i < s.bars.size(); ++i) {
    anchor->append(static_cast<qreal>(i), s.bars[i].close);
  }
  chart->addSeries(anchor);
  anchor->attachAxis(x);
  anchor->attachAxis(price_axis);
  for (QLegendMarker* marker : chart->legend()->markers(anchor)) marker->setVisible(false);

  if (!s.split_days.empty()) {
    auto* splits = new QScatterSeries;
    splits->setName(QString::fromUtf8("株式分割"));
    splits->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    splits->setMarkerSize(11);
    splits->setColor(QColor(0x20, 0x90, 0x40));
    for (std::size_t i = 0; i < s.bars.size(); ++i) {
      if (s.bars[i].split) splits->append(static_cast<qreal>(i), s.bars[i].high + span * 0.03);
    }
    chart->addSeries(splits);
    splits->attachAxis(x);
    splits->attachAxis(price_axis);
  }

  if (!s.margin.empty()) {
    auto* margin_axis = new QValueAxis;
    double top = 0;
    for (const margin_point& p : s.margin) top = std::max({top, p.sold, p.bought});
    margin_axis->setRange(0, top > 0 ? top * 1.1 : 1);
    margin_axis->setLabelFormat("%.0f");
    margin_axis->setTitleText(QString::fromUtf8("信用残"));
    chart->addAxis(margin_axis, Qt::AlignRight);
    auto* sold = new QLineSeries;
    sold->setName(QString::fromUtf8("売り残"));
    auto* bought = new QLineSeries;
    bought->setName(QString::fromUtf8("買い残"));
    for (const margin_point& p : s.margin) {
      sold->append(static_cast<qreal>(p.bar), p.sold);
      bought->append(static_cast<qreal>(p.bar), p.bought);
    }
    for (QLineSeries* line : {sold, bought}) {
      chart->addSeries(line);
      line->attachAxis(x);
      line->attachAxis(margin_axis);
    }
  }
}

}  // namespace

chart_view::chart_view(QWidget* parent) : QChartView(new QChart, parent) {
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::HorizontalRubberBand);
  setFocusPolicy(Qt::StrongFocus);
}

void chart_view::show_series(const chart_series& series) {
  build_chart(chart(), series);
  bars_ = series.bars.size();
  first_ = -0.5;
  last_ = static_cast<double>(bars_) - 0.5;
}

void chart_view::show_bars(double first, double last) {
  if (bars_ == 0) return;
  const double lo = -0.5;
  const double hi = static_cast<double>(bars_) - 0.5;
  const double width = std::clamp(last - first, 4.0, hi - lo);
  first = std::clamp(first, lo, hi - width);
  first_ = first;
  last_ = first + width;
  for (QAbstractAxis* axis : chart()->axes(Qt::Horizontal)) axis->setRange(first_, last_);
}

void chart_view::zoom(double factor, double centre) {
  const double width = (last_ - first_) * factor;
  const double share = last_ > first_ ? (centre - first_) / (last_ - first_) : 0.5;
  const double first = centre - width * share;
  show_bars(first, first + width);
}

void chart_view::pan(double bars) { show_bars(first_ + bars, last_ + bars); }

void chart_view::keyPressEvent(QKeyEvent* event) {
  const double step = std::max(1.0, (last_ - first_) / 10);
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Up: zoom(0.8, (first_ + last_) / 2); break;
    case Qt::Key_Minus:
    case Qt::Key_Down: zoom(1.25, (first_ + last_) / 2); break;
    case Qt::Key_Left: pan(-step); break;
    case Qt::Key_Right: pan(step); break;
    case Qt::Key_Home: show_bars(-0.5, static_cast<double>(bars_) - 0.5); break;
    default: QChartView::keyPressEvent(event); return;
  }
  event->accept();
}

void chart_view::wheelEvent(QWheelEvent* event) {
  const QRectF plot = chart()->plotArea();
  const double at = plot.width() > 0 ? (event->position().x() - plot.left()) / plot.width() : 0.5;
  const double centre = first_ + std::clamp(at, 0.0, 1.0) * (last_ - first_);
  zoom(event->angleDelta().y() > 0 ? 0.8 : 1.25, centre);
  event->accept();
}

void chart_view::mouseReleaseEvent(QMouseEvent* event) {
  QChartView::mouseReleaseEvent(event);
  // The band zoomed the axis itself: take its new range as the bars shown.
  const auto axes = chart()->axes(Qt::Horizontal);
  if (!axes.isEmpty()) {
    if (auto* axis = qobject_cast<QValueAxis*>(axes.first())) {
      show_bars(axis->min(), axis->max());
    }
  }
}

bool render_chart_png(const chart_series& series, const QString& path, int width, int height) {
  chart_view view;
  // Laid out and painted like a shown window, without appearing on any screen.
  view.setAttribute(Qt::WA_DontShowOnScreen, true);
  view.resize(width, height);
  view.show_series(series);
  view.chart()->setAnimationOptions(QChart::NoAnimation);
  view.show();
  QCoreApplication::processEvents();
  const QPixmap pixmap = view.grab();
  // Written whole or not at all.
  QSaveFile file(path);
  if (pixmap.isNull() || !file.open(QIODevice::WriteOnly)) return false;
  return pixmap.save(&file, "PNG") && file.commit();
}

}  // namespace karigane
