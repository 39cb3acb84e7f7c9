// The settings dialog: see settings_dialog.h.
#include "window/settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/file_store.h"
#include "core/messages.h"
#include "run/program_folder.h"
#include "window/named_widget.h"
#include "window/qt_text.h"

namespace karigane {
namespace {

// A note under a field; its lines are broken in the text, so that the form keeps its height.
QLabel* note_label(const char* name) {
  auto* label = named(new QLabel, name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

constexpr jquants_plan kPlans[] = {jquants_plan::free, jquants_plan::light, jquants_plan::standard,
                                   jquants_plan::premium};

}  // namespace

bool settings_file_exists(const std::string& program_folder) {
  return file_exists(program_folder + std::string(kSettingsFileName));
}

settings_dialog::settings_dialog(const std::string& program_folder,
                                 const std::string& factory_folder, QWidget* parent)
    : QDialog(parent), program_folder_(program_folder), factory_folder_(factory_folder) {
  setObjectName(QStringLiteral("settei_dlg"));
  setWindowTitle(qt_text(karigane::tr("設定")));
  shown_ = settings_form_of(read_settings(program_folder_, factory_folder_));
  build_fields();
}

void settings_dialog::build_fields() {
  intro_lb_ = note_label("settei_intro_lb");
  intro_lb_->setText(
      qt_text(tr_format("このフォルダにはまだ設定ファイルがありません: %s\n"
                        "データの取得元を確かめて OK を押すと、設定ファイルを作ります。",
                        {program_folder_ + std::string(kSettingsFileName)})));
  intro_lb_->setWordWrap(true);
  intro_lb_->setVisible(!settings_file_exists(program_folder_));

  source_cmb_ = named(new QComboBox, "source_cmb");
  source_cmb_->addItem(qt_text(karigane::tr("株価サイト")),
                       static_cast<int>(source_id::quote_site));
  source_cmb_->addItem(qt_text(source_setting_value(source_id::jquants)),
                       static_cast<int>(source_id::jquants));
  source_cmb_->setCurrentIndex(source_cmb_->findData(static_cast<int>(shown_.source)));

  site_txt_ = named(new QLineEdit(qt_text(shown_.site)), "site_txt");
  site_note_lb_ = note_label("site_note_lb");
  site_note_lb_->setText(qt_text(
      karigane::tr("5 つの接続先（旧株価テーブルURL、指標サイトURL など）は別々のサイトです。\n"
                   "この欄を変えたときだけ、5 つともこのアドレスにします。")));
  site_note_lb_->setVisible(shown_.sites_differ);

  jquants_url_txt_ = named(new QLineEdit(qt_text(shown_.jquants_url)), "jquants_url_txt");

  // The stored key is never shown: only its last characters, as the placeholder.
  jquants_key_txt_ = named(new QLineEdit, "jquants_key_txt");
  jquants_key_txt_->setEchoMode(QLineEdit::PasswordEchoOnEdit);
  jquants_key_txt_->setPlaceholderText(qt_text(shown_.api_key_masked));
  jquants_key_note_lb_ = note_label("jquants_key_note_lb");
  if (shown_.api_key_from_environment) {
    jquants_key_note_lb_->setText(qt_text(karigane::tr(
        "環境変数 JQUANTS_API_KEY のキーを使っています。\n設定ファイルには書きません。")));
  } else if (!shown_.api_key_masked.empty()) {
    jquants_key_note_lb_->setText(qt_text(
        karigane::tr("保存されているキーを使います。\n新しいキーを入れたときだけ書き換えます。")));
  }
  jquants_key_note_lb_->setVisible(!jquants_key_note_lb_->text().isEmpty());

  jquants_plan_cmb_ = named(new QComboBox, "jquants_plan_cmb");
  for (const jquants_plan plan : kPlans) {
    jquants_plan_cmb_->addItem(QString::fromLatin1(jquants_plan_name(plan)),
                               static_cast<int>(plan));
  }
  jquants_plan_cmb_->setCurrentIndex(jquants_plan_cmb_->findData(static_cast<int>(shown_.plan)));

  interval_txt_ = named(new QLineEdit(qt_text(shown_.access_interval)), "interval_txt");
  ca_file_txt_ = named(new QLineEdit(qt_text(shown_.ca_certificate_file)), "ca_file_txt");
  auto* ca_file_cmd = named(new QPushButton(qt_text(karigane::tr("参照..."))), "ca_file_cmd");
  ca_file_cmd->setAutoDefault(false);
  connect(ca_file_cmd, &QPushButton::clicked, this, &settings_dialog::choose_ca_file);
  auto* ca_file = new QHBoxLayout;
  ca_file->addWidget(ca_file_txt_, 1);
  ca_file->addWidget(ca_file_cmd);

  error_lb_ = note_label("settei_error_lb");
  error_lb_->setWordWrap(true);
  QPalette red = error_lb_->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  error_lb_->setPalette(red);
  error_lb_->setVisible(false);

  auto* form = new QFormLayout;
  form->addRow(qt_text(karigane::tr("データ取得元")), source_cmb_);
  form->addRow(qt_text(karigane::tr("株価サイトURL")), site_txt_);
  form->addRow(QString(), site_note_lb_);
  form->addRow(qt_text(karigane::tr("J-QuantsURL")), jquants_url_txt_);
  form->addRow(qt_text(karigane::tr("J-QuantsAPIキー")), jquants_key_txt_);
  form->addRow(QString(), jquants_key_note_lb_);
  form->addRow(qt_text(karigane::tr("J-Quantsプラン")), jquants_plan_cmb_);
  form->addRow(qt_text(karigane::tr("アクセス間隔ミリ秒")), interval_txt_);
  form->addRow(qt_text(karigane::tr("CA証明書ファイル")), ca_file);

  auto* buttons = named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel),
                        "settei_buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &settings_dialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &settings_dialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro_lb_);
  layout->addLayout(form);
  layout->addWidget(error_lb_);
  layout->addWidget(buttons);
  setMinimumWidth(560);
}

void settings_dialog::choose_ca_file() {
  const QString file = QFileDialog::getOpenFileName(
      this, qt_text(karigane::tr("CA証明書ファイル")), qt_text(program_folder_),
      QStringLiteral("PEM (*.pem *.crt *.cer);;* (*)"));
  if (!file.isEmpty()) ca_file_txt_->setText(file);
}

settings_form settings_dialog::edited() const {
  settings_form form = shown_;
  form.source = static_cast<source_id>(source_cmb_->currentData().toInt());
  form.site = site_txt_->text().toStdString();
  form.jquants_url = jquants_url_txt_->text().toStdString();
  form.new_api_key = jquants_key_txt_->text().toStdString();
  form.plan = static_cast<jquants_plan>(jquants_plan_cmb_->currentData().toInt());
  form.access_interval = interval_txt_->text().toStdString();
  form.ca_certificate_file = ca_file_txt_->text().toStdString();
  return form;
}

void settings_dialog::show_error(const std::string& message) {
  error_lb_->setText(qt_text(message));
  error_lb_->setVisible(true);
}

void settings_dialog::accept() {
  const settings_form_changes asked = settings_form_changes_of(shown_, edited(), program_folder_);
  if (!asked.checked) {
    show_error(asked.checked.message());
    return;
  }
  const bool first = !settings_file_exists(program_folder_);
  if (first) {
    // Before settei.txt exists, the folder still counts as used for the first time.
    run_context probe;
    probe.program_folder = program_folder_;
    probe.factory_folder = factory_folder_;
    std::string message;
    if (!prepare_program_folder(probe, message)) {
      show_error(message);
      return;
    }
  }
  if (first || !asked.changes.empty()) {
    if (const status written = change_settings_file(program_folder_, asked.changes); !written) {
      show_error(written.message());
      return;
    }
  }
  QDialog::accept();
}

}  // namespace karigane
