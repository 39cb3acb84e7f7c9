// The run context's default label handling (it keeps the latest text of each line), the
// run-ending fault and the run serial.
#include "core/run_context.h"

namespace karigane {

void run_context::set_label1(std::string_view text, label_colour colour) {
  const bool changed = text != label1_;
  label1_.assign(text);
  label1_colour_ = colour;
  if (changed && !text.empty()) {
    if (run_record* record = current_record()) record->status_text(text, colour);
  }
}

void run_context::set_label3(std::string_view text, label_colour colour) {
  label3_.assign(text);
  label3_colour_ = colour;
}

void run_context::set_label4(std::string_view text, label_colour colour) {
  label4_.assign(text);
  label4_colour_ = colour;
}

void run_context::set_run_error(const std::string& message) {
  std::lock_guard<std::mutex> lock(run_error_mutex_);
  if (run_error_set_.load(std::memory_order_relaxed)) return;
  run_error_ = message;
  run_error_set_.store(true, std::memory_order_release);
}

std::string run_context::run_error() const {
  std::lock_guard<std::mutex> lock(run_error_mutex_);
  return run_error_;
}

std::uint64_t run_context::next_run_serial() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

void run_context::warn(std::string_view text) {
  {
    std::lock_guard<std::mutex> lock(run_error_mutex_);
    warnings_.emplace_back(text);
  }
  // Outside the lock: a record that cannot be written says so through warn() itself.
  if (run_record* record = current_record()) record->warning(text);
}

void run_context::set_record(run_record* record) {
  std::lock_guard<std::mutex> lock(run_error_mutex_);
  record_ = record;
}

run_record* run_context::current_record() const {
  std::lock_guard<std::mutex> lock(run_error_mutex_);
  return record_;
}

std::vector<std::string> run_context::warnings() const {
  std::lock_guard<std::mutex> lock(run_error_mutex_);
  return warnings_;
}

void run_context::reset_run_state() {
  failures.clear();
  transfers_failed_in_a_row_.store(0);
  run_serial_.store(next_run_serial(), std::memory_order_relaxed);
  std::lock_guard<std::mutex> lock(run_error_mutex_);
  run_error_.clear();
  warnings_.clear();
  run_error_set_.store(false, std::memory_order_release);
}

void run_context::set_write_error(const std::string& path) {
  set_run_error("ファイルを書き込めません: " + relative_path(path));
}

std::string run_context::relative_path(const std::string& path) const {
  if (!program_folder.empty() && path.size() > program_folder.size() &&
      path.compare(0, program_folder.size(), program_folder) == 0) {
    return path.substr(program_folder.size());
  }
  return path;
}

}  // namespace karigane
