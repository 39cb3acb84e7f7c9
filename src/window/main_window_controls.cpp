// The main window's controls and their layout: captions, initial values and object names.
// Behaviour lives in main_window.cpp.
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "window/main_window.h"
#include "window/named_widget.h"

namespace karigane {
namespace {

// The object names of the kinds' check boxes.
const char* kind_check_box_name(kind_id kind) {
  switch (kind) {
    case kind_id::latest: return "out1_data_d_chk";
    case kind_id::prices: return "out1_jikeiretu_chk";
    case kind_id::margin: return "out1_shinyou_chk";
    case kind_id::financial: return "out1_data_z_chk";
  }
  return "";
}

QCheckBox* check_box(const char* name, const char* caption, bool checked) {
  auto* box = named(new QCheckBox(QString::fromUtf8(caption)), name);
  box->setChecked(checked);
  return box;
}

QPushButton* button(const char* name, const char* caption) {
  auto* b = named(new QPushButton(QString::fromUtf8(caption)), name);
  b->setAutoDefault(false);
  b->setMinimumWidth(88);
  return b;
}

QComboBox* period_combo(const char* name) {
  auto* combo = named(new QComboBox, name);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  combo->setMaxVisibleItems(16);
  return combo;
}

// A status line: its text never widens the window; long texts are cut at the right edge.
QLabel* status_label(const char* name) {
  auto* label = named(new QLabel, name);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  label->setMinimumHeight(label->fontMetrics().height() + 4);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A control that may be hidden keeps its place, so the layout does not jump.
void keep_place_when_hidden(QWidget* w) {
  QSizePolicy p = w->sizePolicy();
  p.setRetainSizeWhenHidden(true);
  w->setSizePolicy(p);
}

}  // namespace

void main_window::build_controls() {
  Label6 = named(new QLabel(QString::fromUtf8(kProductTitle)), "Label6");
  QFont title_font = Label6->font();
  title_font.setBold(true);
  title_font.setPointSizeF(title_font.pointSizeF() * 1.5);
  Label6->setFont(title_font);

  // Stock selection.
  meigara_code_frame = named(new QGroupBox(QString::fromUtf8("銘柄指定")), "meigara_code_frame");
  const char* mode_captions[3] = {"個別指定", "テーブル指定", "範囲指定"};
  auto* selection = new QVBoxLayout(meigara_code_frame);
  for (int i = 0; i < 3; ++i) {
    const std::string name = "meigara_code_opt(" + std::to_string(i) + ")";
    meigara_code_opt[i] =
        named(new QRadioButton(QString::fromUtf8(mode_captions[i])), name.c_str());
    selection->addWidget(meigara_code_opt[i]);
  }
  meigara_code_opt[0]->setChecked(true);
  name_lb[8] = named(new QLabel(QString::fromUtf8("銘柄コードNO")), "name_lb(8)");
  code_txt = named(new QLineEdit(QStringLiteral("1301")), "code_txt");
  code1_lb = named(new QLabel(QString::fromUtf8("～")), "code1_lb");
  code1_txt = named(new QLineEdit(QStringLiteral("9999")), "code1_txt");
  for (QLineEdit* box : {code_txt, code1_txt}) {
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 14);
    box->setAlignment(Qt::AlignRight);
  }
  auto* codes = new QHBoxLayout;
  codes->addWidget(name_lb[8]);
  codes->addWidget(code_txt);
  codes->addWidget(code1_lb);
  codes->addWidget(code1_txt);
  codes->addStretch();
  for (QWidget* w : {static_cast<QWidget*>(name_lb[8]), static_cast<QWidget*>(code_txt),
                     static_cast<QWidget*>(code1_lb), static_cast<QWidget*>(code1_txt)}) {
    keep_place_when_hidden(w);
  }
  selection->addLayout(codes);
  selection->addStretch();

  // Data kinds.
  out1_frame = named(new QGroupBox(QString::fromUtf8("収集情報")), "out1_frame");
  for (const data_kind& kind : data_kinds()) {
    const auto i = static_cast<std::size_t>(kind.id);
    kind_chk[i] = check_box(kind_check_box_name(kind.id), kind.name, kind.ticked_at_start);
  }
  out1_nengoto_chk = check_box("out1_nengoto_chk", "年毎", false);
  // Read by the collection (each stock from the day after its stored rows) and by "更新" (the
  // gaps before the latest day filled first), so it stays usable with any kind ticked.
  out1_tuzuki_chk = check_box("out1_tuzuki_chk", "保存データの続きから", false);
  auto* kinds = new QVBoxLayout(out1_frame);
  for (QCheckBox* box : kind_chk) kinds->addWidget(box);
  for (QCheckBox* box : {out1_nengoto_chk, out1_tuzuki_chk}) kinds->addWidget(box);
  kinds->addStretch();

  // Collection period.
  kikan_frame = named(new QGroupBox(QString::fromUtf8("時系列収集期間指定")), "kikan_frame");
  const char* period_captions[8] = {"開始年月日", "年", "月", "日", "終了年月日", "年", "月", "日"};
  for (int i = 0; i < 8; ++i) {
    const std::string name = "name_lb(" + std::to_string(i) + ")";
    name_lb[i] = named(new QLabel(QString::fromUtf8(period_captions[i])), name.c_str());
  }
  yyyy_start_cmb = period_combo("yyyy_start_cmb");
  mm_start_cmb = period_combo("mm_start_cmb");
  dd_start_cmb = period_combo("dd_start_cmb");
  yyyy_end_cmb = period_combo("yyyy_end_cmb");
  mm_end_cmb = period_combo("mm_end_cmb");
  dd_end_cmb = period_combo("dd_end_cmb");
  auto* period = new QGridLayout(kikan_frame);
  period->setHorizontalSpacing(4);
  QComboBox* combos[2][3] = {{yyyy_start_cmb, mm_start_cmb, dd_start_cmb},
                             {yyyy_end_cmb, mm_end_cmb, dd_end_cmb}};
  for (int row = 0; row < 2; ++row) {
    period->addWidget(name_lb[row * 4], row, 0);
    period->setColumnMinimumWidth(1, 6);
    for (int part = 0; part < 3; ++part) {
      period->addWidget(combos[row][part], row, 2 + part * 2);
      period->addWidget(name_lb[row * 4 + 1 + part], row, 3 + part * 2);
    }
  }
  period->setColumnStretch(8, 1);

  // Processing of collected data.
  out2_frame = named(new QGroupBox(QString::fromUtf8("収集情報の加工")), "out2_frame");
  out2_hosei_cmd = button("out2_hosei_cmd", "調整後株価");
  chart_cmd = button("chart_cmd", "チャート");
  Check1 = check_box("Check1", "週足、月足", false);
  out2_nenngoto_chk = check_box("out2_nenngoto_chk", "年毎から計算", false);
  auto* processing = new QHBoxLayout(out2_frame);
  processing->addWidget(out2_hosei_cmd);
  processing->addSpacing(8);
  processing->addWidget(Check1);
  processing->addWidget(out2_nenngoto_chk);
  processing->addSpacing(8);
  processing->addWidget(chart_cmd);
  processing->addStretch();

  connect_sound_chk = check_box("connect_sound_chk", "接続音OFF", true);

  // Buttons: "停止" stands in the place of "収集開始" while a run is active.
  m_dl_start_cmd = button("m_dl_start_cmd", "収集開始");
  m_dl_stop_cmd = button("m_dl_stop_cmd", "停止");
  renew_start_cmd = button("renew_start_cmd", "更新");
  stop_cmd = button("stop_cmd", "閉じる");
  Command1 = button("Command1", "情報確認");
  help_cmd = button("help_cmd", "使い方");
  settei_cmd = button("settei_cmd", "設定");
  m_dl_stop_cmd->setVisible(false);
  keep_place_when_hidden(m_dl_start_cmd);
  keep_place_when_hidden(m_dl_stop_cmd);
  keep_place_when_hidden(renew_start_cmd);
  auto* buttons = new QGridLayout;
  buttons->addWidget(m_dl_start_cmd, 0, 0);
  buttons->addWidget(m_dl_stop_cmd, 0, 0);
  buttons->addWidget(renew_start_cmd, 0, 1);
  buttons->addWidget(stop_cmd, 0, 2);
  buttons->setColumnStretch(3, 1);
  buttons->addWidget(settei_cmd, 0, 4);
  buttons->addWidget(Command1, 0, 5);
  buttons->addWidget(help_cmd, 0, 6);

  // Status area: Label1, the progress bar under it, below them Label3, below that Label2
  // and Label4 side by side.
  Label1 = status_label("Label1");
  failures_cmd = button("failures_cmd", "");
  failures_cmd->setMinimumWidth(0);
  failures_cmd->setFlat(true);
  {
    QPalette red = failures_cmd->palette();
    red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    failures_cmd->setPalette(red);
  }
  failures_cmd->setToolTip(QString::fromUtf8("失敗の一覧"));
  failures_cmd->setVisible(false);
  progress_bar = named(new QProgressBar, "progress_bar");
  progress_bar->setTextVisible(true);
  progress_bar->setAlignment(Qt::AlignCenter);
  progress_bar->setVisible(false);
  keep_place_when_hidden(progress_bar);
  Label3 = status_label("Label3");
  Label2 = named(new QLabel(QString::fromStdString(version_label_text())), "Label2");
  Label4 = status_label("Label4");
  auto* status_frame = new QFrame;
  status_frame->setFrameShape(QFrame::StyledPanel);
  status_frame->setFrameShadow(QFrame::Sunken);
  auto* status = new QGridLayout(status_frame);
  status->setContentsMargins(8, 4, 8, 4);
  status->setVerticalSpacing(2);
  status->addWidget(Label1, 0, 0, 1, 2);
  status->addWidget(failures_cmd, 0, 2);
  status->addWidget(progress_bar, 1, 0, 1, 3);
  status->addWidget(Label3, 2, 0, 1, 3);
  status->addWidget(Label2, 3, 0);
  status->addWidget(Label4, 3, 1, 1, 2);
  status->setColumnStretch(1, 1);
  status->setColumnMinimumWidth(0, Label2->sizeHint().width() + 16);

  // The window: selection and data kinds on the left, period and processing on the right.
  auto* right = new QVBoxLayout;
  right->addWidget(kikan_frame);
  right->addWidget(out2_frame);
  right->addWidget(connect_sound_chk);
  right->addStretch();
  auto* frames = new QHBoxLayout;
  frames->addWidget(meigara_code_frame);
  frames->addWidget(out1_frame);
  frames->addLayout(right, 1);

  auto* window = new QVBoxLayout(this);
  window->addWidget(Label6);
  window->addLayout(frames);
  window->addLayout(buttons);
  window->addWidget(status_frame);
}

}  // namespace karigane
