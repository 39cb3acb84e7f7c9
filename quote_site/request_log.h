// The log of page requests: each request's target (path and query as sent), one line each, in
// arrival order, kept in memory for /_control/requests and optionally appended to a file; and
// how many connections carried them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace karigane::quote_site {

class request_log {
 public:
  // The file, when given, receives every line as it is logged.
  explicit request_log(const std::string& file = {});
  ~request_log();
  request_log(const request_log&) = delete;
  request_log& operator=(const request_log&) = delete;

  bool file_ok() const { return file_name_.empty() || file_ != nullptr; }

  // `connection_mark` belongs to the connection the request came on (0 for a new one); the
  // log counts the connection the first time it sees it after a clear.
  void add(const std::string& line, std::uint64_t& connection_mark);
  std::vector<std::string> lines() const;
  // Connections that carried logged requests since the start or the last clear.
  std::size_t connections() const;
  void clear();

 private:
  // The memory log keeps the newest lines; a long demo run must not grow it without bound.
  static constexpr std::size_t kMaxLines = 1'000'000;

  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::size_t connections_ = 0;
  std::uint64_t generation_ = 1;  // changes with every clear
  std::string file_name_;
  std::FILE* file_ = nullptr;
};

}  // namespace karigane::quote_site
