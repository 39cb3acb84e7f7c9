// The failure tally: see failure_tally.h.
#include "core/failure_tally.h"

#include <algorithm>

#include "core/messages.h"

namespace karigane {

void failure_tally::add(run_failure failure) {
  std::lock_guard<std::mutex> lock(m_);
  failures_.push_back(std::move(failure));
}

void failure_tally::clear() {
  std::lock_guard<std::mutex> lock(m_);
  failures_.clear();
  notes_.clear();
}

std::size_t failure_tally::count() const {
  std::lock_guard<std::mutex> lock(m_);
  return failures_.size();
}

std::vector<run_failure> failure_tally::list() const {
  std::lock_guard<std::mutex> lock(m_);
  return failures_;
}

void failure_tally::add_note(std::string note) {
  std::lock_guard<std::mutex> lock(m_);
  if (std::find(notes_.begin(), notes_.end(), note) == notes_.end()) {
    notes_.push_back(std::move(note));
  }
}

std::vector<std::string> failure_tally::notes() const {
  std::lock_guard<std::mutex> lock(m_);
  return notes_;
}

std::string failure_line(const run_failure& f) {
  std::string line;
  for (const std::string* part : {&f.code, &f.kind, &f.where}) {
    if (part->empty()) continue;
    if (!line.empty()) line += ' ';
    line += *part;
  }
  if (!f.reason.empty()) line += (line.empty() ? "" : ": ") + f.reason;
  return line;
}

std::string failure_count_text(std::size_t count) {
  return tr_format("失敗 %s件", {std::to_string(count)});
}

}  // namespace karigane
