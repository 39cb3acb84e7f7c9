// Parallel file work: see parallel_files.h.
#include "core/parallel_files.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace karigane {

namespace {

// Every file's work allocates and frees a few megabytes; the worker threads' malloc arenas
// would hand that memory back to the system after each file and fault it in again for the
// next, which costs more than the work itself. Keep it.
void keep_freed_memory() {
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
  });
}

}  // namespace

std::size_t for_each_file_in_parallel(run_context& ctx, std::size_t count,
                                      const std::function<void(std::size_t)>& work,
                                      const std::function<void(std::size_t)>& started) {
  if (count == 0) return 0;
  keep_freed_memory();
  const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min<std::size_t>(count, std::min(8u, cores * 2));
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::atomic<bool> stop{false};
  std::mutex m;
  std::condition_variable finished;
  std::size_t running = workers;

  std::vector<std::thread> threads;
  threads.reserve(workers);
  for (std::size_t w = 0; w < workers; ++w) {
    threads.emplace_back([&] {
      while (!stop.load(std::memory_order_relaxed)) {
        // A fault reported by a worker stops the others at once, without waiting for a pump.
        if (ctx.has_run_error()) break;
        const std::size_t i = next.fetch_add(1);
        if (i >= count) break;
        work(i);
        done.fetch_add(1);
      }
      std::lock_guard<std::mutex> lock(m);
      if (--running == 0) finished.notify_all();
    });
  }
  std::size_t shown = 0;  // items announced through `started`
  auto announce = [&] {
    const std::size_t begun = std::min(next.load(), count);
    while (started && shown < begun) started(shown++);
  };
  {
    std::unique_lock<std::mutex> lock(m);
    while (running > 0) {
      lock.unlock();
      announce();
      ctx.pump();
      if (ctx.run_interrupted()) stop.store(true);
      lock.lock();
      finished.wait_for(lock, std::chrono::milliseconds(10), [&] { return running == 0; });
    }
  }
  for (std::thread& t : threads) t.join();
  if (!stop.load()) announce();
  return done.load();
}

}  // namespace karigane
