// The export pass: see export_driver.h.
#include "export/export_driver.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "core/failure_tally.h"
#include "core/run_progress.h"

namespace karigane {
namespace {

struct read_item {
  std::size_t index = 0;
  source_read result = source_read::missing;
  std::string reason;
  export_rows rows;
};

// Reads the wanted sources in order on its own thread, a few files ahead of the writer, so
// that reading and converting one file overlaps writing the one before.
class read_ahead {
 public:
  read_ahead(const std::vector<export_source>& sources, std::vector<std::size_t> wanted,
             const export_sink& sink)
      : sources_(sources), wanted_(std::move(wanted)), sink_(sink), thread_([this] { work(); }) {}
  ~read_ahead() {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

  // The next file in order; false when none is left.
  bool next(read_item& item) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return !ready_.empty() || done_; });
    if (ready_.empty()) return false;
    item = std::move(ready_.front());
    ready_.pop_front();
    cv_.notify_all();
    return true;
  }

 private:
  static constexpr std::size_t kAhead = 8;

  void work() {
    for (std::size_t i : wanted_) {
      {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return ready_.size() < kAhead || quit_; });
        if (quit_) break;
      }
      read_item item;
      item.index = i;
      item.result = read_export_source(sources_[i], item.rows, item.reason, sink_.hint(i));
      std::lock_guard<std::mutex> lock(m_);
      ready_.push_back(std::move(item));
      cv_.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_);
    done_ = true;
    cv_.notify_all();
  }

  const std::vector<export_source>& sources_;
  std::vector<std::size_t> wanted_;
  const export_sink& sink_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<read_item> ready_;
  bool done_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace

export_outcome run_export_pass(run_context& ctx, export_sink& sink, export_counts& counts) {
  std::vector<run_failure> unlisted;
  const std::vector<export_source> sources = list_export_sources(ctx, &unlisted);
  for (run_failure& f : unlisted) ctx.failures.add(std::move(f));
  std::vector<source_stamp> stamps(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    stamps[i].file = stamp_of(sources[i].path);
    if (!sources[i].split_path.empty()) stamps[i].splits = stamp_of(sources[i].split_path);
  }
  counts.sources = sources.size();
  ctx.pump();
  if (!sink.begin(sources, stamps)) {
    ctx.set_run_error(sink.error());
    return export_outcome::failed;
  }
  std::vector<std::size_t> wanted;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (sink.needs(i)) wanted.push_back(i);
  }
  counts.unchanged = sources.size() - wanted.size();
  ctx.progress.start_pass(kKindExport, kUnitFiles, wanted.size());

  export_outcome outcome = export_outcome::completed;
  {
    read_ahead reader(sources, wanted, sink);
    read_item item;
    std::size_t done = 0;
    while (!ctx.run_interrupted() && reader.next(item)) {
      const export_source& s = sources[item.index];
      ctx.progress.at_item(++done, s.code);
      ctx.set_label1("エクスポート処理中:" + s.name, label_colour::blue);
      ctx.pump();
      if (item.result == source_read::unreadable) {
        ctx.set_label1(s.relative + " を読めないため、エクスポートしませんでした。",
                       label_colour::red);
        ctx.failures.add({s.code, kKindExport, s.relative, item.reason});
        ++counts.skipped;
        continue;
      }
      // A file gone since the listing has no rows now: the destination drops what it had.
      if (!sink.put(item.index, item.rows)) {
        ctx.set_run_error(sink.error());
        break;
      }
      ++counts.read;
    }
  }
  if (ctx.has_run_error()) outcome = export_outcome::failed;
  else if (ctx.stop_flag()) outcome = export_outcome::stopped;
  if (outcome != export_outcome::completed) {
    sink.abandon();
    return outcome;
  }
  if (!sink.finish()) {
    ctx.set_run_error(sink.error());
    return export_outcome::failed;
  }
  return outcome;
}

}  // namespace karigane
