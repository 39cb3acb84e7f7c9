// The main window dl_form (Qt 6 Widgets): every control of the window, its start-up, its event
// handlers and the idle/running switch. The runs themselves are the engine's; the window hands
// them its run context (main_window_context.h) and keeps the window alive while they run.
//
// Controls carry their inventory names as object names ("m_dl_start_cmd", "name_lb(8)",
// "meigara_code_opt(2)", ...), so that tests and tools find them.
//
// Threading: GUI thread only. A run executes inside its button's handler; events are processed
// from inside the run through the context's pump, so "停止" and closing the window set the stop
// flag while the run is still on the stack. No second run can start while one is running.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kinds/collection_request.h"
#include "run/run_frame.h"
#include "run/settings.h"
#include "window/main_window_context.h"

class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace karigane {

inline constexpr const char* kProductTitle = "Karigane";

// What the version label Label2 shows: the program's version, as `karigane --version` gives it
// ("Karigane 1.1.0").
std::string version_label_text();

struct main_window_setup {
  std::string program_folder;  // ending in "/"
  std::string factory_folder;  // the installed data folder, ending in "/"
  std::optional<local_time> fixed_now;
  // The window prepares its program folder (prepare_program_folder) as it opens; a folder
  // without settei.txt first gets the settings dialog, and is prepared once that closes, so
  // that nothing is written or fetched before the user has chosen where the data come from.
  // A problem with the folder is shown in red in Label1.
  bool set_up_folder = false;
};

class main_window : public QWidget {
  Q_OBJECT

 public:
  explicit main_window(const main_window_setup& setup, QWidget* parent = nullptr);
  ~main_window() override;

  main_window_context& context() { return ctx_; }
  bool running() const { return running_; }

  // Event handlers (also callable directly).
  void m_dl_start_cmd_Click();
  void renew_start_cmd_Click();
  void out2_hosei_cmd_Click();
  // Opens the chart window of the code in the code box, over the period of the period lists.
  void chart_cmd_Click();
  // Opens the database folder through the desktop; without a launcher, says so with its path.
  void Command1_Click();
  // Opens the usage text through the desktop; without a launcher, says so and shows the text
  // in the window's own viewer ("readme_dlg").
  void help_cmd_Click();
  // Opens the settings dialog ("settei_dlg"); disabled while a run runs.
  void settei_cmd_Click();
  void stop_cmd_Click();
  // Shows the failures of the last run, one line each (the button appears after a run that
  // could not do everything; the next run clears it).
  void failures_cmd_Click();
  void meigara_code_opt_Click(int index);
  void code_txt_Change();
  void code1_txt_Change();

  // set_controls_sub: the idle (true) / running (false) switch of the window's controls.
  void set_controls_sub(bool enable) { ctx_.set_controls_sub(enable); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class main_window_context;

  void build_controls();
  void connect_handlers();
  void Form_Load(const main_window_setup& setup);

  void apply_controls(bool enable);
  void show_status(QLabel* label, std::string_view text, label_colour colour);
  // The progress bar under the status line: shown while a run counts its stocks or files, and
  // after the run, full, with how it ended and how long it took, until the next run.
  void show_progress(const progress_snapshot& s);
  void show_run_end(const progress_snapshot& s, run_ending ending);

  // Runs one of the engine's runs in the run frame on the window's context, unless one is
  // running already, and shows what it could not do. `started_by` names the button and the
  // controls it read, for the run's log.
  void run_guarded(const char* run_kind, const std::string& started_by, const button_run& run);
  void show_failures(std::vector<run_failure> failures, std::vector<std::string> notes = {});
  // What the controls ask of each run.
  collection_request collection_asked() const;
  update_request update_asked() const;
  adjust_request adjust_asked() const;
  kind_set ticked_kinds() const;
  // Shows the code boxes as the run normalised them (values, a range's ends in order).
  void show_code_boxes(const code_selection& shown);
  // The settings of the program folder as they stand.
  program_settings current_settings() const;
  // out1_jikeiretu_chk_Click / out1_shinyou_chk_Click: the availability of the period area.
  void update_period_availability();
  void period_cmb_Click();

  // The preparation of the program folder (main_window_setup::set_up_folder).
  void prepare_folder();
  // Opens the settings dialog, modal to the window.
  QDialog* open_settings();
  // A read-only text shown in a dialog of the window's own.
  void show_text_dialog(const char* name, const QString& title, const char* text_name,
                        const QString& text);

  void restore_window_state();
  void save_window_state();

  main_window_context ctx_;
  bool running_ = false;
  std::vector<run_failure> failures_;  // of the last run
  std::vector<std::string> failure_notes_;  // what to do about them

  QLabel* Label6 = nullptr;
  QGroupBox* meigara_code_frame = nullptr;
  QRadioButton* meigara_code_opt[3] = {};
  QLabel* name_lb[9] = {};
  QLineEdit* code_txt = nullptr;
  QLabel* code1_lb = nullptr;
  QLineEdit* code1_txt = nullptr;
  QGroupBox* out1_frame = nullptr;
  // The data kinds' check boxes, one per kind in the kinds' order (out1_data_d_chk,
  // out1_jikeiretu_chk, out1_shinyou_chk, out1_data_z_chk).
  QCheckBox* kind_chk[kKindCount] = {};
  QCheckBox* out1_nengoto_chk = nullptr;
  QCheckBox* out1_tuzuki_chk = nullptr;
  QGroupBox* kikan_frame = nullptr;
  QComboBox* yyyy_start_cmb = nullptr;
  QComboBox* mm_start_cmb = nullptr;
  QComboBox* dd_start_cmb = nullptr;
  QComboBox* yyyy_end_cmb = nullptr;
  QComboBox* mm_end_cmb = nullptr;
  QComboBox* dd_end_cmb = nullptr;
  QGroupBox* out2_frame = nullptr;
  QPushButton* out2_hosei_cmd = nullptr;
  QPushButton* chart_cmd = nullptr;
  QCheckBox* Check1 = nullptr;
  QCheckBox* out2_nenngoto_chk = nullptr;
  QCheckBox* connect_sound_chk = nullptr;
  QPushButton* m_dl_start_cmd = nullptr;
  QPushButton* m_dl_stop_cmd = nullptr;
  QPushButton* renew_start_cmd = nullptr;
  QPushButton* stop_cmd = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* help_cmd = nullptr;
  QPushButton* settei_cmd = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* failures_cmd = nullptr;  // beside Label1: "失敗 N件" after a run with failures
  QProgressBar* progress_bar = nullptr;  // under Label1 while a run counts stocks or files
  QLabel* Label3 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;
};

}  // namespace karigane
