// The chart of a series: see chart_view.h.
#include "window/chart_view.h"

#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "chart/chart_scales.h"
#include "window/qt_text.h"

namespace karigane {

const QColor chart_view::kRising(0xd0, 0x30, 0x30);
const QColor chart_view::kFalling(0x20, 0x60, 0xc0);
const QColor chart_view::kVolume(0x90, 0x90, 0x90);
const QColor chart_view::kSplit(0x20, 0x90, 0x40);
const QColor chart_view::kSold(0xe0, 0x80, 0x00);
const QColor chart_view::kBought(0x80, 0x40, 0xb0);

namespace {

// The narrowest a drawn bar may be: a body of three pixels and a gap of one.
constexpr double kPixelsPerBar = 4;
// The volume pane's share of the height.
constexpr double kVolumeShare = 0.25;

QString label_format(const value_scale& s) { return QStringLiteral("%.%1f").arg(s.decimals); }

void set_scale(QValueAxis* axis, const value_scale& s) {
  axis->setRange(s.min, s.max);
  axis->setTickType(QValueAxis::TicksFixed);
  axis->setTickCount(s.intervals() + 1);
  axis->setLabelFormat(label_format(s));
}

// An axis that is there only to place a series along the bars.
QValueAxis* bar_axis() {
  auto* axis = new QValueAxis;
  axis->setVisible(false);
  return axis;
}

// The date axis is drawn only with a series of its own: an invisible line over the bars.
QLineSeries* anchor_series(QChart* chart) {
  auto* anchor = new QLineSeries;
  anchor->setPen(Qt::NoPen);
  chart->addSeries(anchor);
  for (QLegendMarker* marker : chart->legend()->markers(anchor)) marker->setVisible(false);
  return anchor;
}

// "出来高（万株）".
QString unit_title(const char* what, const count_unit& unit) {
  QString title = QString::fromUtf8(what);
  if (!unit.name.empty())
    title += QString::fromUtf8("（") + qt_text(unit.name) + QString::fromUtf8("）");
  return title;
}

void set_labels(QCategoryAxis* axis, const std::vector<date_label>& labels, double first) {
  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  axis->setStartValue(first);
  for (const date_label& l : labels) axis->append(qt_text(l.text), l.at);
}

}  // namespace

// What a pane hands to the chart view: wheel turns, the end of a dragged band, a new size.
struct pane_events {
  std::function<void(double x, int delta)> wheel;
  std::function<void()> released;
  std::function<void()> resized;
};

// A pane: one chart in a view of its own, which takes no focus (the keys go to the chart
// view).
class chart_view::pane : public QChartView {
 public:
  pane(QChart* chart, pane_events events) : QChartView(chart), events_(std::move(events)) {
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chart->setAnimationOptions(QChart::NoAnimation);
  }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    events_.wheel(event->position().x(), event->angleDelta().y());
    event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QChartView::mouseReleaseEvent(event);
    events_.released();
  }
  void resizeEvent(QResizeEvent* event) override {
    QChartView::resizeEvent(event);
    events_.resized();
  }

 private:
  pane_events events_;
};

chart_view::chart_view(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  pane_events events;
  events.wheel = [this](double x, int delta) { wheel_at(x, delta); };
  // A band dragged over the prices zoomed the chart's axes itself: the bar axis's new range
  // becomes the view, and every axis follows.
  events.released = [this] { show_bars(price_bars_->min(), price_bars_->max()); };
  // The plot's width sets how many bars are drawn.
  events.resized = [this] { redraw(); };
  price_view_ = new pane(new QChart, events);
  volume_view_ = new pane(new QChart, events);
  price_view_->setRubberBand(QChartView::HorizontalRubberBand);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(price_view_, static_cast<int>((1 - kVolumeShare) * 100));
  layout->addWidget(volume_view_, static_cast<int>(kVolumeShare * 100));
  build();
}

QChart* chart_view::price_chart() const { return price_view_->chart(); }
QChart* chart_view::volume_chart() const { return volume_view_->chart(); }

// The series and axes, made once: every series keeps its colour, and zooming only changes
// their points and the axes' ranges.
void chart_view::build() {
  QChart* prices = price_chart();
  QChart* volume = volume_chart();
  // One white sheet: the panes' backgrounds and margins meet without a seam.
  for (QChart* c : {prices, volume}) c->setBackgroundVisible(false);
  for (pane* p : {price_view_, volume_view_}) p->setBackgroundBrush(Qt::white);
  prices->setMargins(QMargins(8, 4, 8, 0));
  volume->setMargins(QMargins(8, 0, 8, 4));
  prices->legend()->setAlignment(Qt::AlignTop);
  volume->legend()->setVisible(false);

  price_bars_ = bar_axis();
  price_dates_ = new QCategoryAxis;
  price_dates_->setLabelsVisible(false);
  price_dates_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  price_axis_ = new QValueAxis;
  margin_axis_ = new QValueAxis;
  prices->addAxis(price_dates_, Qt::AlignBottom);
  prices->addAxis(price_bars_, Qt::AlignBottom);
  prices->addAxis(price_axis_, Qt::AlignLeft);
  prices->addAxis(margin_axis_, Qt::AlignRight);

  volume_bars_ = bar_axis();
  volume_dates_ = new QCategoryAxis;
  volume_dates_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  volume_axis_ = new QValueAxis;
  volume->addAxis(volume_dates_, Qt::AlignBottom);
  volume->addAxis(volume_bars_, Qt::AlignBottom);
  volume->addAxis(volume_axis_, Qt::AlignLeft);

  candles_ = new QCandlestickSeries;
  candles_->setName(QString::fromUtf8("株価"));
  candles_->setIncreasingColor(kRising);
  candles_->setDecreasingColor(kFalling);
  candles_->setBodyOutlineVisible(false);
  // Bars as narrow as the frame makes them (kPixelsPerBar), not Qt's five pixels at least, and
  // no wider than a thumb when only a few are in view.
  candles_->setMinimumColumnWidth(1);
  candles_->setMaximumColumnWidth(60);
  candles_->setBodyWidth(0.75);
  prices->addSeries(candles_);
  candles_->attachAxis(price_bars_);
  candles_->attachAxis(price_axis_);

  splits_ = new QScatterSeries;
  splits_->setName(QString::fromUtf8("株式分割"));
  splits_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  splits_->setMarkerSize(11);
  splits_->setColor(kSplit);
  splits_->setBorderColor(kSplit);
  sold_ = new QLineSeries;
  sold_->setName(QString::fromUtf8("売り残"));
  sold_->setPen(QPen(kSold, 2));
  bought_ = new QLineSeries;
  bought_->setName(QString::fromUtf8("買い残"));
  bought_->setPen(QPen(kBought, 2));
  prices->addSeries(splits_);
  splits_->attachAxis(price_dates_);
  splits_->attachAxis(price_axis_);
  for (QLineSeries* line : {sold_, bought_}) {
    prices->addSeries(line);
    line->attachAxis(price_dates_);
    line->attachAxis(margin_axis_);
  }
  price_anchor_ = anchor_series(prices);
  price_anchor_->attachAxis(price_dates_);
  price_anchor_->attachAxis(price_axis_);

  volumes_ = new QCandlestickSeries;
  volumes_->setName(QString::fromUtf8("出来高"));
  volumes_->setIncreasingColor(kVolume);
  volumes_->setDecreasingColor(kVolume);
  volumes_->setBodyOutlineVisible(false);
  volumes_->setCapsVisible(false);
  volumes_->setMinimumColumnWidth(1);
  volumes_->setMaximumColumnWidth(60);
  volumes_->setBodyWidth(0.75);
  volume->addSeries(volumes_);
  volumes_->attachAxis(volume_bars_);
  volumes_->attachAxis(volume_axis_);
  volume_anchor_ = anchor_series(volume);
  volume_anchor_->attachAxis(volume_dates_);
  volume_anchor_->attachAxis(volume_axis_);
}

void chart_view::show_series(const chart_series& series) {
  series_ = series;
  price_chart()->setTitle(qt_text(chart_title(series_)));
  // The series present in the stock are in the legend whatever is in view.
  const bool margin = !series_.margin.empty();
  for (QLegendMarker* m : price_chart()->legend()->markers(splits_)) {
    m->setVisible(!series_.split_days.empty());
  }
  for (QLineSeries* line : {sold_, bought_}) {
    for (QLegendMarker* m : price_chart()->legend()->markers(line)) m->setVisible(margin);
  }
  margin_axis_->setVisible(margin);
  first_ = -0.5;
  last_ = static_cast<double>(series_.bars.size()) - 0.5;
  redraw();
}

void chart_view::show_bars(double first, double last) {
  if (series_.bars.empty()) return;
  const double lo = -0.5;
  const double hi = static_cast<double>(series_.bars.size()) - 0.5;
  const double width = std::clamp(last - first, std::min(4.0, hi - lo), hi - lo);
  first_ = std::clamp(first, lo, hi - width);
  last_ = first_ + width;
  redraw();
}

// Puts the bars in view into the series, and fits the axes to them.
void chart_view::redraw() {
  align_panes();
  double plot_width = std::max(price_chart()->plotArea().width(), 100.0);
  const auto max_bars = static_cast<std::size_t>(std::max(1.0, plot_width / kPixelsPerBar));
  frame_ = frame_of(series_, first_, last_, max_bars);

  QList<QCandlestickSet*> candles, volumes;
  QList<QPointF> sold, bought, splits;
  candles.reserve(static_cast<qsizetype>(frame_.bars.size()));
  volumes.reserve(static_cast<qsizetype>(frame_.bars.size()));
  const double span = std::max(frame_.high - frame_.low, frame_.high * 0.02);
  double top = frame_.high;
  const count_unit volume_unit = count_unit_for(frame_.volume);
  const count_unit margin_unit = count_unit_for(frame_.margin_top);
  for (const drawn_bar& d : frame_.bars) {
    const chart_bar& b = d.bar;
    const double volume = b.volume / volume_unit.size;
    auto* candle = new QCandlestickSet(b.open, b.high, b.low, b.close, d.at);
    // The wick in the body's colour, so that a narrow candle still shows which way it went.
    candle->setPen(QPen(b.close > b.open ? kRising : kFalling, 1));
    candles.append(candle);
    volumes.append(new QCandlestickSet(0, volume, 0, volume, d.at));
    if (b.split) {
      splits.append({d.at, b.high + span * 0.05});
      top = std::max(top, b.high + span * 0.08);
    }
  }
  for (const drawn_margin& m : frame_.margin) {
    sold.append({m.at, m.sold / margin_unit.size});
    bought.append({m.at, m.bought / margin_unit.size});
  }
  candles_->clear();
  candles_->append(candles);
  volumes_->clear();
  volumes_->append(volumes);
  splits_->replace(splits);
  sold_->replace(sold);
  bought_->replace(bought);
  price_anchor_->replace({{first_, 0}, {last_, 0}});
  volume_anchor_->replace({{first_, 0}, {last_, 0}});

  // Prices never below zero; each value axis on its own round scale.
  set_scale(price_axis_, nice_scale(std::max(frame_.low, 0.0), std::max(top, 0.0), 6));
  set_scale(volume_axis_, nice_scale(0, frame_.volume / volume_unit.size, 2));
  // Room above the balances: a line along the plot's edge would hide in its border.
  set_scale(margin_axis_, nice_scale(0, frame_.margin_top * 1.05 / margin_unit.size, 6));
  volume_axis_->setTitleText(unit_title("出来高", volume_unit));
  margin_axis_->setTitleText(unit_title("信用残", margin_unit));
  // (A chart without bars keeps a bar's width.)
  const double last = std::max(last_, first_ + 1);
  for (QValueAxis* axis : {price_bars_, static_cast<QValueAxis*>(price_dates_), volume_bars_,
                           static_cast<QValueAxis*>(volume_dates_)}) {
    axis->setRange(first_, last);
  }

  // The value axes' labels may have changed the plot's width, not the bars' place in it.
  align_panes();
  plot_width = std::max(price_chart()->plotArea().width(), 100.0);

  // Date labels as many as fit at this width, in the font the axis draws them with.
  const QFontMetricsF metrics(volume_dates_->labelsFont());
  const auto labels = date_labels(
      frame_, first_, last, plot_width / (last - first_), metrics.height(),
      [&](const std::string& text) { return metrics.horizontalAdvance(qt_text(text)); });
  set_labels(volume_dates_, labels, first_);
  set_labels(price_dates_, labels, first_);
}

// The two plot areas over the same stretch of the width, so that a bar's volume stands under
// its candle: each pane lays out its own axes, then both take the narrower plot area.
void chart_view::align_panes() {
  QChart* charts[] = {price_chart(), volume_chart()};
  for (QChart* c : charts) {
    c->setPlotArea(QRectF());
    c->layout()->invalidate();
    c->layout()->activate();
  }
  const QRectF p = charts[0]->plotArea();
  const QRectF v = charts[1]->plotArea();
  const double left = std::max(p.left(), v.left());
  const double right = std::min(p.right(), v.right());
  if (right <= left) return;
  charts[0]->setPlotArea(QRectF(QPointF(left, p.top()), QPointF(right, p.bottom())));
  charts[1]->setPlotArea(QRectF(QPointF(left, v.top()), QPointF(right, v.bottom())));
}

void chart_view::zoom(double factor, double centre) {
  const double width = (last_ - first_) * factor;
  const double share = last_ > first_ ? (centre - first_) / (last_ - first_) : 0.5;
  const double first = centre - width * share;
  show_bars(first, first + width);
}

void chart_view::pan(double bars) { show_bars(first_ + bars, last_ + bars); }

void chart_view::wheel_at(double x, int delta) {
  const QRectF plot = price_chart()->plotArea();
  const double at = plot.width() > 0 ? (x - plot.left()) / plot.width() : 0.5;
  const double centre = first_ + std::clamp(at, 0.0, 1.0) * (last_ - first_);
  zoom(delta > 0 ? 0.8 : 1.25, centre);
}

void chart_view::keyPressEvent(QKeyEvent* event) {
  const double step = std::max(1.0, (last_ - first_) / 10);
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Up:
      zoom(0.8, (first_ + last_) / 2);
      break;
    case Qt::Key_Minus:
    case Qt::Key_Down:
      zoom(1.25, (first_ + last_) / 2);
      break;
    case Qt::Key_Left:
      pan(-step);
      break;
    case Qt::Key_Right:
      pan(step);
      break;
    case Qt::Key_Home:
      show_bars(-0.5, static_cast<double>(series_.bars.size()) - 0.5);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

bool render_chart_picture(const chart_series& series, const QString& path, picture_format format,
                          int width, int height) {
  chart_view view;
  // Laid out and painted like a shown window, without appearing on any screen.
  view.setAttribute(Qt::WA_DontShowOnScreen, true);
  view.resize(width, height);
  view.show_series(series);
  view.show();
  QCoreApplication::processEvents();
  // Written whole or not at all.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (format == picture_format::svg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setTitle(qt_text(chart_title(series)));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    view.render(&painter);
    if (!painter.end()) return false;
    return file.commit();
  }
  const QPixmap pixmap = view.grab();
  if (pixmap.isNull()) return false;
  return pixmap.save(&file, format == picture_format::png ? "PNG" : "JPEG") && file.commit();
}

}  // namespace karigane
