// The record of every run, on the command line and in the window: each run appends to a log
// file (UTF-8), by default log/karigane-YYYYMMDD.log in the program folder, named after the
// day the run started. One line per event, each "YYYY-MM-DD HH:MM:SS [PID] TAG TEXT":
//
//   開始      the run kind, then what started it (the command line, or the window's button and
//             controls)
//   状態      a status-line text; 状態(赤) for one shown in red
//   警告      a warning
//   失敗      a failure of the tally (as the failure summary writes it)
//   終了      the ending (完了, エラー, 中断) and the exit status
//
// The file is opened at the first line and kept open to the run's end; each line is appended in
// one write, so that the lines of two processes (a run and a second one that found the folder
// held) do not mix. A log that cannot be written never ends or fails the run: the run is warned
// once and goes on without it.
//
// Threading: status texts come from the run's thread; warnings may come from its file workers.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/failure_tally.h"
#include "core/file_store.h"
#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "run/run_ending.h"

namespace karigane {

// Logs are kept this many days; older ones are removed by the next run.
inline constexpr long kLogKeepDays = 30;

// Removes the program folder's logs (log/karigane-YYYYMMDD.log) dated more than kLogKeepDays
// days before `today`; no other file is touched.
void remove_old_logs(const program_layout& layout, const date& today);

class run_log : public run_record {
 public:
  // Writes to `path` (its folder is made when missing); an empty path keeps no record.
  run_log(run_context& ctx, std::string path);

  void begin(const std::string& run_kind, const std::string& started_by);
  void status_text(std::string_view text, label_colour colour) override;
  void warning(std::string_view text) override;
  void failures(const std::vector<run_failure>& failures);
  void end(run_ending ending, int exit_status);

 private:
  void write_line(std::string_view tag, std::string_view text);

  run_context& ctx_;
  std::string path_;
  std::mutex m_;
  append_file file_;
  bool broken_ = false;
};

}  // namespace karigane
