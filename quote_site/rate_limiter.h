// A sliding-window request limit: at most `limit` requests admitted in any `window`. The
// requests it refuses are not counted, so a client that waits a window is served again.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>

namespace karigane::quote_site {

class rate_limiter {
 public:
  using clock = std::chrono::steady_clock;

  // A window of zero admits everything.
  rate_limiter(int limit, clock::duration window) : limit_(limit), window_(window) {}

  // True, and counted, when fewer than `limit` requests were admitted in the last window.
  bool admit();

 private:
  std::mutex mutex_;
  std::deque<clock::time_point> admitted_;
  int limit_;
  clock::duration window_;
};

}  // namespace karigane::quote_site
