// The request limit: see rate_limiter.h.
#include "rate_limiter.h"

namespace karigane::quote_site {

bool rate_limiter::admit() {
  if (window_ == clock::duration::zero()) return true;
  const auto now = clock::now();
  const std::lock_guard hold(mutex_);
  while (!admitted_.empty() && admitted_.front() <= now - window_) admitted_.pop_front();
  if (static_cast<int>(admitted_.size()) >= limit_) return false;
  admitted_.push_back(now);
  return true;
}

}  // namespace karigane::quote_site
