// The server's worker threads: a number kept ready, and more started while every worker is busy,
// up to a ceiling, so that connections held by slow or idle clients (each holds a worker until
// its time-out) do not leave a new client waiting in the queue. Tasks beyond the ceiling wait
// for a worker. Threads once started stay until shutdown.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace karigane::quote_site {

class worker_pool final : public httplib::TaskQueue {
 public:
  // `at_task_start` runs on the worker before each task.
  worker_pool(std::size_t ready, std::size_t ceiling, std::function<void()> at_task_start);
  ~worker_pool() override;

  void enqueue(std::function<void()> task) override;
  // Lets the queued tasks finish and joins every worker.
  void shutdown() override;

 private:
  void start_worker();  // with mutex_ held
  void work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  std::vector<std::thread> threads_;
  std::size_t idle_ = 0;
  std::size_t ceiling_;
  bool stopping_ = false;
  std::function<void()> at_task_start_;
};

}  // namespace karigane::quote_site
