// The settings dialog "設定" (object name "settei_dlg"): the source of the data, the quote
// site's address, J-Quants' address, key and plan, the access interval and the CA file of a program
// folder's settei.txt. It reads the settings in force when it opens; OK checks the fields the
// user changed and writes them into settei.txt (change_settings_file: unknown keys, notes and
// the file's encoding kept, the file for its owner alone once it holds a key). A field that
// cannot be written is named in the dialog, which stays open and writes nothing.
//
// A folder without settei.txt is set up on OK as a first run would set it up (the factory stock
// list as its working list) before the file is written, so the dialog and `init --site` leave
// the same folder behind.
#pragma once

#include <QDialog>
#include <string>

#include "window/settings_form.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace karigane {

// True when the program folder (ending in "/") holds settei.txt.
bool settings_file_exists(const std::string& program_folder);

class settings_dialog : public QDialog {
  Q_OBJECT

 public:
  settings_dialog(const std::string& program_folder, const std::string& factory_folder,
                  QWidget* parent = nullptr);

  void accept() override;

 private:
  void build_fields();
  void choose_ca_file();
  // The form as the fields stand.
  settings_form edited() const;
  void show_error(const std::string& message);

  std::string program_folder_;
  std::string factory_folder_;
  settings_form shown_;

  QLabel* intro_lb_ = nullptr;
  QComboBox* source_cmb_ = nullptr;
  QLineEdit* site_txt_ = nullptr;
  QLabel* site_note_lb_ = nullptr;
  QLineEdit* jquants_url_txt_ = nullptr;
  QLineEdit* jquants_key_txt_ = nullptr;
  QLabel* jquants_key_note_lb_ = nullptr;
  QComboBox* jquants_plan_cmb_ = nullptr;
  QLineEdit* interval_txt_ = nullptr;
  QLineEdit* ca_file_txt_ = nullptr;
  QLabel* error_lb_ = nullptr;
};

}  // namespace karigane
