// The run log: see run_log.h.
#include "run/run_log.h"

#include <unistd.h>

#include <optional>

#include "core/file_store.h"
#include "run/run_frame.h"

namespace karigane {
namespace {

const char* ending_text(run_ending ending) {
  switch (ending) {
    case run_ending::completed: return "完了";
    case run_ending::error: return "エラー";
    case run_ending::aborted: return "中断";
  }
  return "";
}

// A text on one line of the log.
std::string one_line(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace

void remove_old_logs(const program_layout& layout, const date& today) {
  const std::string folder = layout.log_folder();
  if (!folder_exists(folder)) return;
  for (const std::string& name : list_files(folder)) {
    const std::optional<date> day = log_file_day(name);
    if (day && days_between(*day, today) > kLogKeepDays) remove_file(folder + name);
  }
}

run_log::run_log(run_context& ctx, std::string path) : ctx_(ctx), path_(std::move(path)) {}

void run_log::begin(const std::string& run_kind, const std::string& started_by) {
  write_line("開始", started_by.empty() ? run_kind : run_kind + ": " + started_by);
}

void run_log::status_text(std::string_view text, label_colour colour) {
  write_line(colour == label_colour::red ? "状態(赤)" : "状態", text);
}

void run_log::warning(std::string_view text) { write_line("警告", text); }

void run_log::failures(const std::vector<run_failure>& failures) {
  for (const run_failure& f : failures) write_line("失敗", failure_line(f));
}

void run_log::end(run_ending ending, int exit_status) {
  write_line("終了", std::string(ending_text(ending)) + " 終了ステータス " +
                         std::to_string(exit_status));
  std::lock_guard<std::mutex> lock(m_);
  file_.close();
}

void run_log::write_line(std::string_view tag, std::string_view text) {
  std::string failed;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (path_.empty() || broken_) return;
    const std::string line = time_stamp_text(ctx_.now()) + " [" + std::to_string(::getpid()) +
                             "] " + std::string(tag) + " " + one_line(text) + "\n";
    file_status status;
    if (!file_.is_open()) {
      const std::size_t slash = path_.rfind('/');
      if (slash != std::string::npos && slash > 0) status = ensure_folder(path_.substr(0, slash));
      if (status) status = file_.open(path_);
    }
    if (status) status = file_.append(line);
    if (status) return;
    file_.close();
    broken_ = true;
    failed = "ログファイルに書き込めません（記録なしで続けます）: " + path_ + ": " +
             file_error_text(status.error());
  }
  // Once, and outside the lock: the warning comes back here and finds the log broken.
  ctx_.warn(failed);
}

}  // namespace karigane
