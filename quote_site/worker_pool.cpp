// The server's worker threads: see worker_pool.h.
#include "worker_pool.h"

#include <algorithm>

namespace karigane::quote_site {

worker_pool::worker_pool(std::size_t ready, std::size_t ceiling,
                         std::function<void()> at_task_start)
    : ceiling_(std::max(ready, ceiling)), at_task_start_(std::move(at_task_start)) {
  const std::lock_guard hold(mutex_);
  for (std::size_t i = 0; i < ready; ++i) start_worker();
}

worker_pool::~worker_pool() { shutdown(); }

void worker_pool::start_worker() {
  threads_.emplace_back([this] { work(); });
}

void worker_pool::enqueue(std::function<void()> task) {
  {
    const std::lock_guard hold(mutex_);
    tasks_.push_back(std::move(task));
    if (tasks_.size() > idle_ && threads_.size() < ceiling_) start_worker();
  }
  wake_.notify_one();
}

void worker_pool::shutdown() {
  std::vector<std::thread> threads;
  {
    const std::lock_guard hold(mutex_);
    stopping_ = true;
    threads.swap(threads_);
  }
  wake_.notify_all();
  for (auto& t : threads) t.join();
}

void worker_pool::work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      ++idle_;
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      --idle_;
      if (tasks_.empty()) return;  // stopping, nothing left
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    if (at_task_start_) at_task_start_();
    task();
  }
}

}  // namespace karigane::quote_site
