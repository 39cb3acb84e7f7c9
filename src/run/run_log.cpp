// The run log: see run_log.h.
#include "run/run_log.h"

#include <unistd.h>

#include <optional>

#include "core/file_store.h"
#include "run/run_frame.h"

namespace karigane {
namespace {

constexpr const char* kLogFolder = "log/";
constexpr std::string_view kLogPrefix = "karigane-";
constexpr std::string_view kLogSuffix = ".log";

// The day of a log's name "karigane-YYYYMMDD.log"; nothing for any other name.
std::optional<date> log_day(const std::string& name) {
  const std::size_t digits = 8;
  if (name.size() != kLogPrefix.size() + digits + kLogSuffix.size() ||
      name.compare(0, kLogPrefix.size(), kLogPrefix) != 0 ||
      name.compare(kLogPrefix.size() + digits, kLogSuffix.size(), kLogSuffix) != 0) {
    return std::nullopt;
  }
  return parse_yyyymmdd(std::string_view(name).substr(kLogPrefix.size(), digits));
}

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

std::string default_log_path(const std::string& program_folder, const date& day) {
  return program_folder + kLogFolder + std::string(kLogPrefix) + yyyymmdd(day) +
         std::string(kLogSuffix);
}

void remove_old_logs(const std::string& program_folder, const date& today) {
  const std::string folder = program_folder + kLogFolder;
  if (!folder_exists(folder)) return;
  for (const std::string& name : list_files(folder)) {
    const std::optional<date> day = log_day(name);
    if (day && days_between(*day, today) > kLogKeepDays) remove_file(folder + name);
  }
}

std::string window_run_text(const std::string& run_kind, const control_values& c) {
  std::string text = "ウィンドウ「";
  auto tick = [&text](bool on, const char* caption) {
    if (on) text += std::string(" ") + caption;
  };
  if (run_kind == kRunUpdate) {
    text += "更新」";
    tick(c.out1_data_d_chk, "最新日株価");
  } else if (run_kind == kRunAdjust) {
    text += "調整後株価」";
    tick(c.out2_nenngoto_chk, "年毎から計算");
  } else if (run_kind != kRunCollection) {
    text += run_kind + "」";
  } else {
    text += "収集開始」";
    switch (c.meigara_code_opt) {
      case selection_mode::individual: text += " 個別指定 " + c.code_txt; break;
      case selection_mode::table: text += " テーブル指定"; break;
      case selection_mode::range: text += " 範囲指定 " + c.code_txt + "～" + c.code1_txt; break;
    }
    tick(c.out1_data_d_chk, "最新日株価");
    tick(c.out1_jikeiretu_chk, "時系列株価");
    tick(c.out1_shinyou_chk, "信用売買残");
    tick(c.out1_data_z_chk, "財務情報");
    tick(c.out1_nengoto_chk, "年毎");
    if (c.out1_jikeiretu_chk || c.out1_shinyou_chk) {
      text += " 期間 " + c.yyyy_start_cmb + "/" + c.mm_start_cmb + "/" + c.dd_start_cmb + "～" +
              c.yyyy_end_cmb + "/" + c.mm_end_cmb + "/" + c.dd_end_cmb;
    }
  }
  return text;
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
}

void run_log::write_line(std::string_view tag, std::string_view text) {
  std::string failed;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (path_.empty() || broken_) return;
    const std::string line = time_stamp_text(ctx_.now()) + " [" + std::to_string(::getpid()) +
                             "] " + std::string(tag) + " " + one_line(text) + "\n";
    file_status status;
    if (!folder_made_) {
      const std::size_t slash = path_.rfind('/');
      if (slash != std::string::npos && slash > 0) status = ensure_folder(path_.substr(0, slash));
      folder_made_ = status.ok();
    }
    if (status) status = append_to_file(path_, line);
    if (status) return;
    broken_ = true;
    failed = "ログファイルに書き込めません（記録なしで続けます）: " + path_ + ": " +
             file_error_text(status.error());
  }
  // Once, and outside the lock: the warning comes back here and finds the log broken.
  ctx_.warn(failed);
}

}  // namespace karigane
