// The main window's start-up, event handlers and idle/running switch: see main_window.h.
#include "window/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cstdio>

#include "codes/targets.h"
#include "core/cp932.h"
#include "core/file_store.h"
#include "core/install_paths.h"
#include "core/stock_code.h"
#include "core/text.h"
#include "run/adjust_run.h"
#include "run/collection_run.h"
#include "run/period.h"
#include "run/program_folder.h"
#include "run/settings.h"
#include "run/update_run.h"
#include "window/chart_window.h"
#include "window/qt_text.h"
#include "window/settings_dialog.h"

namespace karigane {
namespace {

QColor colour_of(label_colour colour) {
  switch (colour) {
    case label_colour::blue:
      return QColor(0, 0, 255);
    case label_colour::red:
      return QColor(255, 0, 0);
    case label_colour::black:
      return QColor(0, 0, 0);
  }
  return QColor(0, 0, 0);
}

void paint(QWidget* w, QPalette::ColorRole role, label_colour colour) {
  QPalette p = w->palette();
  p.setColor(role, colour_of(colour));
  w->setPalette(p);
}

void fill_list(QComboBox* combo, const std::vector<std::string>& items, const std::string& preset) {
  combo->clear();
  for (const std::string& item : items) combo->addItem(qt_text(item));
  combo->setCurrentText(qt_text(preset));
}

// Where the window keeps its own state (geometry, "接続音OFF") between sessions:
// $XDG_CONFIG_HOME/karigane/window.conf.
constexpr const char* kStateOrganization = "karigane";
constexpr const char* kStateFile = "window";

}  // namespace

std::string version_label_text() { return std::string(kProductTitle) + " " + program_version(); }

main_window::main_window(const main_window_setup& setup, QWidget* parent)
    : QWidget(parent), ctx_(*this) {
  build_controls();
  connect_handlers();
  restore_window_state();
  Form_Load(setup);
}

main_window::~main_window() = default;

void main_window::connect_handlers() {
  connect(m_dl_start_cmd, &QPushButton::clicked, this, &main_window::m_dl_start_cmd_Click);
  // The stop takes effect as soon as the mouse button goes down on "停止".
  auto stop = [this] { ctx_.set_stop_flag(true); };
  connect(m_dl_stop_cmd, &QPushButton::pressed, this, stop);
  connect(m_dl_stop_cmd, &QPushButton::clicked, this, stop);
  connect(renew_start_cmd, &QPushButton::clicked, this, &main_window::renew_start_cmd_Click);
  connect(out2_hosei_cmd, &QPushButton::clicked, this, &main_window::out2_hosei_cmd_Click);
  connect(chart_cmd, &QPushButton::clicked, this, &main_window::chart_cmd_Click);
  connect(stop_cmd, &QPushButton::clicked, this, &main_window::stop_cmd_Click);
  connect(Command1, &QPushButton::clicked, this, &main_window::Command1_Click);
  connect(help_cmd, &QPushButton::clicked, this, &main_window::help_cmd_Click);
  connect(settei_cmd, &QPushButton::clicked, this, &main_window::settei_cmd_Click);
  connect(failures_cmd, &QPushButton::clicked, this, &main_window::failures_cmd_Click);
  for (int i = 0; i < 3; ++i) {
    connect(meigara_code_opt[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) meigara_code_opt_Click(i);
    });
  }
  connect(code_txt, &QLineEdit::textChanged, this, &main_window::code_txt_Change);
  connect(code1_txt, &QLineEdit::textChanged, this, &main_window::code1_txt_Change);
  for (QCheckBox* box : kind_chk) {
    connect(box, &QCheckBox::toggled, this, &main_window::update_period_availability);
  }
  for (QComboBox* combo : {mm_start_cmb, dd_start_cmb, mm_end_cmb, dd_end_cmb}) {
    connect(combo, &QComboBox::activated, this, &main_window::period_cmb_Click);
  }
}

void main_window::Form_Load(const main_window_setup& setup) {
  ctx_.program_folder = setup.program_folder;
  ctx_.factory_folder = setup.factory_folder;
  if (setup.fixed_now) ctx_.fix_now(*setup.fixed_now);
  Label2->setText(qt_text(version_label_text()));
  m_dl_start_cmd->setEnabled(false);
  ctx_.set_stop_flag(false);

  const date today = ctx_.now().day;
  const period_list_items items = make_period_list_items(today);
  const period_texts preset = preset_period(today);
  fill_list(yyyy_start_cmb, items.years, preset.start_year);
  fill_list(mm_start_cmb, items.months, preset.start_month);
  fill_list(dd_start_cmb, items.days, preset.start_day);
  fill_list(yyyy_end_cmb, items.years, preset.end_year);
  fill_list(mm_end_cmb, items.months, preset.end_month);
  fill_list(dd_end_cmb, items.days, preset.end_day);

  const bool range = meigara_code_opt[2]->isChecked();
  code1_txt->setVisible(range);
  code1_lb->setVisible(range);

  setWindowTitle(QString::fromUtf8(kProductTitle));
  Label6->setText(QString::fromUtf8(kProductTitle));
  paint(Label6, QPalette::WindowText, label_colour::blue);
  for (QRadioButton* option : meigara_code_opt) option->setEnabled(true);
  code_txt_Change();
  code1_txt_Change();
  update_period_availability();
  m_dl_start_cmd->setEnabled(true);
  if (setup.set_up_folder) {
    if (settings_file_exists(ctx_.program_folder)) {
      prepare_folder();
    } else {
      // Once the window shows, as the dialog is modal to it. A folder left without settei.txt
      // is prepared as it always was when the dialog closes.
      QTimer::singleShot(0, this, [this] {
        connect(open_settings(), &QDialog::finished, this, [this] {
          if (!settings_file_exists(ctx_.program_folder)) prepare_folder();
        });
      });
    }
  }
}

void main_window::prepare_folder() {
  // A folder that cannot be prepared is reported in the window, where a user who started the
  // program from a desktop menu sees it; the runs will report their own failures.
  std::string message;
  if (!prepare_program_folder(ctx_, message)) {
    std::fprintf(stderr, "karigane: %s\n", message.c_str());
    ctx_.set_label1(message, label_colour::red);
  }
}

void main_window::show_status(QLabel* label, std::string_view text, label_colour colour) {
  label->setText(qt_text(text));
  paint(label, QPalette::WindowText, colour);
}

void main_window::show_progress(const progress_snapshot& s) {
  const bool counting = s.active && s.total > 0;
  if (counting) {
    const int total = static_cast<int>(std::min<std::size_t>(s.total, INT_MAX));
    progress_bar->setRange(0, total);
    progress_bar->setValue(static_cast<int>(std::min<std::size_t>(s.index, s.total)));
    std::string text = s.data_kind + " " + progress_count_text(s);
    if (const std::string left = time_left_text(s); !left.empty()) text += "  " + left;
    progress_bar->setFormat(qt_text(text));
  }
  progress_bar->setVisible(counting);
}

void main_window::show_run_end(const progress_snapshot& s, run_ending ending) {
  const char* how = ending == run_ending::completed ? "完了"
                    : ending == run_ending::error   ? "エラー"
                                                    : "中断";
  std::string text = s.total > 0 ? s.data_kind + " " + progress_count_text(s) : s.run_kind;
  text += std::string("  ") + how + "  経過 " + duration_text(s.elapsed_seconds);
  progress_bar->setRange(0, 1);
  progress_bar->setValue(1);
  progress_bar->setFormat(qt_text(text));
  progress_bar->setVisible(true);
}

void main_window::apply_controls(bool enable) {
  m_dl_start_cmd->setVisible(enable);
  renew_start_cmd->setVisible(enable);
  stop_cmd->setEnabled(enable);
  settei_cmd->setEnabled(enable);
  out1_frame->setEnabled(enable);
  out2_frame->setEnabled(enable);
  meigara_code_frame->setEnabled(enable);
  m_dl_stop_cmd->setVisible(!enable);
  // Without a kind that has a period the period area stays greyed.
  if (period_applies(ticked_kinds())) kikan_frame->setEnabled(enable);
}

void main_window::run_guarded(const char* run_kind, const std::string& started_by,
                              const button_run& run) {
  if (running_) return;
  running_ = true;
  show_failures({});
  run_frame_options frame;
  frame.started_by = started_by;
  run_outcome outcome = run_in_frame(ctx_, run_kind, run, frame);
  show_run_end(ctx_.progress.snapshot(), outcome.ending);
  running_ = false;
  if (!ctx_.idle()) set_controls_sub(true);
  show_failures(std::move(outcome.failures), std::move(outcome.notes));
}

void main_window::show_failures(std::vector<run_failure> failures, std::vector<std::string> notes) {
  failures_ = std::move(failures);
  failure_notes_ = std::move(notes);
  failures_cmd->setText(qt_text(failure_count_text(failures_.size())));
  failures_cmd->setVisible(!failures_.empty());
}

void main_window::failures_cmd_Click() {
  QString text;
  for (const run_failure& f : failures_) text += qt_text(failure_line(f)) + QLatin1Char('\n');
  for (const std::string& note : failure_notes_) text += qt_text(note) + QLatin1Char('\n');
  show_text_dialog("failures_dlg", qt_text(failure_count_text(failures_.size())), "failures_txt",
                   text);
}

void main_window::show_text_dialog(const char* name, const QString& title, const char* text_name,
                                   const QString& text) {
  auto* dialog = new QDialog(this);
  dialog->setObjectName(QString::fromUtf8(name));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(title);
  auto* view = new QPlainTextEdit(dialog);
  view->setObjectName(QString::fromUtf8(text_name));
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setPlainText(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(view);
  layout->addWidget(buttons);
  dialog->resize(640, 320);
  dialog->open();
}

kind_set main_window::ticked_kinds() const {
  kind_set kinds;
  for (const data_kind& kind : data_kinds()) {
    kinds.set(kind.id, kind_chk[static_cast<std::size_t>(kind.id)]->isChecked());
  }
  return kinds;
}

collection_request main_window::collection_asked() const {
  collection_request r;
  r.codes.mode = meigara_code_opt[2]->isChecked()   ? selection_mode::range
                 : meigara_code_opt[1]->isChecked() ? selection_mode::table
                                                    : selection_mode::single;
  r.codes.first = code_txt->text().toStdString();
  r.codes.last = code1_txt->text().toStdString();
  r.kinds = ticked_kinds();
  r.yearly = out1_nengoto_chk->isChecked();
  r.since_stored = out1_tuzuki_chk->isChecked();
  r.period = {
      yyyy_start_cmb->currentText().toStdString(), mm_start_cmb->currentText().toStdString(),
      dd_start_cmb->currentText().toStdString(),   yyyy_end_cmb->currentText().toStdString(),
      mm_end_cmb->currentText().toStdString(),     dd_end_cmb->currentText().toStdString()};
  return r;
}

update_request main_window::update_asked() const {
  update_request r;
  r.latest_file = kind_chk[static_cast<std::size_t>(kind_id::latest)]->isChecked();
  r.catch_up = out1_tuzuki_chk->isChecked();
  return r;
}

adjust_request main_window::adjust_asked() const { return {out2_nenngoto_chk->isChecked()}; }

program_settings main_window::current_settings() const {
  return read_settings(ctx_.program_folder, ctx_.factory_folder);
}

void main_window::show_code_boxes(const code_selection& shown) {
  const QString first = qt_text(shown.first);
  const QString last = qt_text(shown.last);
  if (code_txt->text() != first) code_txt->setText(first);
  if (code1_txt->text() != last) code1_txt->setText(last);
}

void main_window::m_dl_start_cmd_Click() {
  const collection_request request = collection_asked();
  std::optional<code_selection> shown;
  run_guarded(kRunCollection, "ウィンドウ「収集開始」" + request_text(request),
              [&](run_context& c) {
                collection_outcome outcome = collect(c, request);
                shown = outcome.shown;
                return outcome.ending;
              });
  if (shown) show_code_boxes(*shown);
}

void main_window::renew_start_cmd_Click() {
  const update_request request = update_asked();
  std::string started_by = "ウィンドウ「更新」";
  if (request.latest_file) started_by += std::string(" ") + kind_of(kind_id::latest).name;
  run_guarded(kRunUpdate, started_by, [&](run_context& c) { return karigane::update(c, request); });
}

void main_window::out2_hosei_cmd_Click() {
  const adjust_request request = adjust_asked();
  std::string started_by = "ウィンドウ「調整後株価」";
  if (request.from_yearly) started_by += " 年毎から計算";
  run_guarded(kRunAdjust, started_by, [&](run_context& c) { return karigane::adjust(c, request); });
}

namespace {

// A period list's date: a day beyond the month's end (2/31) is the month's last day.
std::optional<date> list_date(const std::string& y, const std::string& m, const std::string& d) {
  const std::optional<date> first = parse_date_text(y + "/" + m + "/1");
  if (!first) return std::nullopt;
  const int day = static_cast<int>(int_value(d));
  if (day < 1) return std::nullopt;
  return date{first->y, first->m, std::min(day, days_in_month(first->y, first->m))};
}

}  // namespace

void main_window::chart_cmd_Click() {
  const collection_request asked = collection_asked();
  const period_texts& p = asked.period;
  chart_request request;
  request.code = trim(asked.codes.first);
  // The box's text becomes a file's path: only a stock code may.
  if (!is_stock_code(request.code)) {
    ctx_.set_label1(kCheckCodeText, label_colour::red);
    return;
  }
  request.from = list_date(p.start_year, p.start_month, p.start_day);
  request.to = list_date(p.end_year, p.end_month, p.end_day);
  request.adjusted = false;
  auto* chart = new chart_window(current_settings().layout, request);
  chart->setAttribute(Qt::WA_DeleteOnClose);
  chart->show();
}

void main_window::Command1_Click() {
  // A stop requested during a run must not be cancelled by this button.
  if (!running_) ctx_.set_stop_flag(false);
  ctx_.set_label1("", label_colour::blue);
  ctx_.pump();
  const std::string folder = current_settings().layout.database;
  if (folder.empty() || !folder_exists(folder)) {
    ctx_.set_label1("収集されているデータはありません。", label_colour::blue);
    return;
  }
  // Qt finds no launcher when xdg-open (or the desktop's own opener) is not on PATH.
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(qt_text(folder)))) {
    ctx_.set_label1("フォルダを開くプログラム（xdg-open）がありません: " + folder,
                    label_colour::red);
  }
}

void main_window::help_cmd_Click() {
  const std::string readme = current_settings().layout.readme_file();
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(qt_text(readme)))) return;
  std::string bytes;
  if (const file_status read = read_file_bytes(readme, bytes); !read) {
    ctx_.set_label1(
        "使い方のファイルを読めません: " + readme + "（" + file_error_text(read.error()) + "）",
        label_colour::red);
    return;
  }
  ctx_.set_label1("ファイルを開くプログラム（xdg-open）がないので、ここに表示します: " + readme,
                  label_colour::blue);
  std::string text = decode_user_text(bytes);
  std::erase(text, '\r');
  show_text_dialog("readme_dlg", qt_text(readme), "readme_txt", qt_text(text));
}

void main_window::settei_cmd_Click() {
  if (!running_) open_settings();
}

QDialog* main_window::open_settings() {
  auto* dialog = new settings_dialog(ctx_.program_folder, ctx_.factory_folder, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

void main_window::stop_cmd_Click() {
  ctx_.set_stop_flag(true);
  close();
}

void main_window::closeEvent(QCloseEvent* event) {
  // A run still in progress leaves its loops at its next test of the flag.
  ctx_.set_stop_flag(true);
  save_window_state();
  event->accept();
}

void main_window::meigara_code_opt_Click(int index) {
  const bool code_shown = index != static_cast<int>(selection_mode::table);
  const bool range_shown = index == static_cast<int>(selection_mode::range);
  name_lb[8]->setVisible(code_shown);
  code_txt->setVisible(code_shown);
  code1_lb->setVisible(range_shown);
  code1_txt->setVisible(range_shown);
}

void main_window::code_txt_Change() {
  const bool red = code_box_is_invalid(code_txt->text().toStdString());
  paint(code_txt, QPalette::Text, red ? label_colour::red : label_colour::black);
}

void main_window::code1_txt_Change() {
  const bool red = code_box_is_invalid(code1_txt->text().toStdString());
  paint(code1_txt, QPalette::Text, red ? label_colour::red : label_colour::black);
}

void main_window::update_period_availability() {
  const bool usable = period_applies(ticked_kinds());
  if (!usable) out1_nengoto_chk->setChecked(false);
  out1_nengoto_chk->setEnabled(usable);
  kikan_frame->setEnabled(usable);
  for (int i = 0; i < 8; ++i) name_lb[i]->setEnabled(usable);
  for (QComboBox* combo :
       {yyyy_start_cmb, mm_start_cmb, dd_start_cmb, yyyy_end_cmb, mm_end_cmb, dd_end_cmb}) {
    combo->setEnabled(usable);
  }
}

void main_window::period_cmb_Click() { ctx_.set_label1("", label_colour::blue); }

void main_window::restore_window_state() {
  QSettings state(QString::fromUtf8(kStateOrganization), QString::fromUtf8(kStateFile));
  restoreGeometry(state.value(QStringLiteral("geometry")).toByteArray());
  connect_sound_chk->setChecked(state.value(QStringLiteral("connect_sound_chk"), true).toBool());
}

void main_window::save_window_state() {
  QSettings state(QString::fromUtf8(kStateOrganization), QString::fromUtf8(kStateFile));
  state.setValue(QStringLiteral("geometry"), saveGeometry());
  state.setValue(QStringLiteral("connect_sound_chk"), connect_sound_chk->isChecked());
}

}  // namespace karigane
