// The chart window: see chart_window.h.
#include "window/chart_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "window/chart_view.h"

namespace karigane {

chart_window::chart_window(const program_layout& layout, const chart_request& request,
                           QWidget* parent)
    : QWidget(parent), layout_(layout), request_(request) {
  setObjectName(QStringLiteral("chart_window"));
  span_cmb_ = new QComboBox;
  span_cmb_->setObjectName(QStringLiteral("span_cmb"));
  span_cmb_->addItems({QString::fromUtf8("日足"), QString::fromUtf8("週足"), QString::fromUtf8("月足")});
  span_cmb_->setCurrentIndex(static_cast<int>(request.span));
  adjusted_chk_ = new QCheckBox(QString::fromUtf8("調整後株価"));
  adjusted_chk_->setObjectName(QStringLiteral("adjusted_chk"));
  adjusted_chk_->setChecked(request.adjusted);
  message_lb_ = new QLabel;
  message_lb_->setObjectName(QStringLiteral("message_lb"));
  auto* hint = new QLabel(QString::fromUtf8("拡大・縮小: ホイール、ドラッグ、+ -　移動: ← →　全体: Home"));
  QPalette grey = hint->palette();
  grey.setColor(QPalette::WindowText, QColor(0x60, 0x60, 0x60));
  hint->setPalette(grey);

  view_ = new chart_view;
  auto* controls = new QHBoxLayout;
  controls->addWidget(span_cmb_);
  controls->addWidget(adjusted_chk_);
  controls->addWidget(message_lb_, 1);
  controls->addWidget(hint);
  auto* rows = new QVBoxLayout(this);
  rows->addLayout(controls);
  rows->addWidget(view_, 1);
  resize(1100, 680);

  connect(span_cmb_, &QComboBox::currentIndexChanged, this, [this](int index) {
    request_.span = static_cast<bar_span>(index);
    reload();
  });
  connect(adjusted_chk_, &QCheckBox::toggled, this, [this](bool on) {
    request_.adjusted = on;
    reload();
  });
  reload();
}

bool chart_window::reload() {
  std::string message;
  const bool ok = load_chart_series(layout_, request_, series_, message) == chart_load::ok;
  if (!ok) series_.bars.clear();
  view_->show_series(series_);
  QPalette red = message_lb_->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  message_lb_->setPalette(red);
  message_lb_->setText(QString::fromUtf8(message.c_str()));
  setWindowTitle(QString::fromUtf8(chart_title(series_).c_str()));
  return ok;
}

}  // namespace karigane
