// The request log: see request_log.h.
#include "request_log.h"

namespace karigane::quote_site {

request_log::request_log(const std::string& file) : file_name_(file) {
  if (!file.empty()) file_ = std::fopen(file.c_str(), "a");
}

request_log::~request_log() {
  if (file_ != nullptr) std::fclose(file_);
}

void request_log::add(const std::string& line, std::uint64_t& connection_mark) {
  std::lock_guard lock(mutex_);
  if (connection_mark != generation_) {
    connection_mark = generation_;
    ++connections_;
  }
  if (lines_.size() >= kMaxLines) lines_.erase(lines_.begin(), lines_.begin() + kMaxLines / 2);
  lines_.push_back(line);
  if (file_ != nullptr) {
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
  }
}

std::vector<std::string> request_log::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::size_t request_log::connections() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

void request_log::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
  connections_ = 0;
  ++generation_;
}

}  // namespace karigane::quote_site
