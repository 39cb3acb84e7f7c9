// The export pass: see export_driver.h.
#include "export/export_driver.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
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

// Reads the wanted sources on worker threads, a few files ahead of the writer, and hands them
// over in order: reading, checking and converting files overlaps writing the ones before, and
// when the writer has little to do (an export after an update) the files are read on every
// core. The rows' memory goes back to the workers once written.
class read_ahead {
 public:
  read_ahead(const std::vector<export_source>& sources, std::vector<std::size_t> wanted,
             const export_sink& sink)
      : sources_(sources), wanted_(std::move(wanted)), sink_(sink), slots_(kAhead) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min<std::size_t>({cores, kMaxWorkers, wanted_.size()});
    for (std::size_t w = 0; w < workers; ++w) threads_.emplace_back([this] { work(); });
  }
  ~read_ahead() {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    cv_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  // The next file in order; false when none is left.
  bool next(read_item& item) {
    std::unique_lock<std::mutex> lock(m_);
    if (handed_ == wanted_.size()) return false;
    std::optional<read_item>& slot = slots_[handed_ % kAhead];
    cv_.wait(lock, [&] { return slot.has_value(); });
    item = std::move(*slot);
    slot.reset();
    ++handed_;
    cv_.notify_all();
    return true;
  }

  // Rows written: their memory serves a later file.
  void recycle(export_rows&& rows) {
    std::lock_guard<std::mutex> lock(m_);
    if (spare_.size() < kAhead) spare_.push_back(std::move(rows));
  }

 private:
  static constexpr std::size_t kAhead = 8;
  static constexpr std::size_t kMaxWorkers = 4;

  void work() {
    while (true) {
      read_item item;
      {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return claimed_ < handed_ + kAhead || quit_; });
        if (quit_ || claimed_ == wanted_.size()) return;
        item.index = claimed_++;
        if (!spare_.empty()) {
          item.rows = std::move(spare_.back());
          spare_.pop_back();
        }
      }
      const std::size_t order = item.index;
      const std::size_t i = wanted_[order];
      item.index = i;
      item.result = read_export_source(sources_[i], item.rows, item.reason, sink_.hint(i),
                                       sink_.wants_csv_lines());
      if (item.result == source_read::ok) sink_.prepare(i, item.rows);
      std::lock_guard<std::mutex> lock(m_);
      slots_[order % kAhead] = std::move(item);
      cv_.notify_all();
    }
  }

  const std::vector<export_source>& sources_;
  std::vector<std::size_t> wanted_;
  const export_sink& sink_;
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<std::optional<read_item>> slots_;  // by order modulo kAhead
  std::vector<export_rows> spare_;
  std::size_t claimed_ = 0;  // files given to a worker
  std::size_t handed_ = 0;   // files handed to the writer
  bool quit_ = false;
  std::vector<std::thread> threads_;
};

// What the pass did with one table's files.
struct table_tally {
  export_table table = export_table::stocks;
  std::size_t files = 0;    // read and written
  std::size_t rows = 0;     // written
  std::size_t skipped = 0;  // unreadable
};

// "エクスポート:prices 3600ファイル 18000000行", and the files that could not be read.
std::string table_line_text(const table_tally& t) {
  std::string text = "エクスポート:" + std::string(table_layout(t.table).name) + " " +
                     std::to_string(t.files) + "ファイル " + std::to_string(t.rows) + "行";
  if (t.skipped > 0) text += " 読めないファイル " + std::to_string(t.skipped);
  return text;
}

}  // namespace

std::string not_an_export_text(const std::string& shown_path) {
  return shown_path + " は Karigane のエクスポートではないため、書き換えません。";
}

export_outcome run_export_pass(run_context& ctx, const program_layout& layout, export_sink& sink,
                               export_counts& counts) {
  std::vector<run_failure> unlisted;
  const std::vector<export_source> sources = list_export_sources(ctx, layout, &unlisted);
  for (run_failure& f : unlisted) ctx.failures.add(std::move(f));
  std::vector<source_stamp> stamps(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    stamps[i].file = stamp_of(sources[i].path);
    if (!sources[i].split_path.empty()) stamps[i].splits = stamp_of(sources[i].split_path);
  }
  counts.sources = sources.size();
  ctx.pump();
  if (!sink.begin(sources, stamps)) {
    sink.abandon();
    if (ctx.stop_flag()) return export_outcome::stopped;  // while it waited for the target
    ctx.set_run_error(sink.error());
    return export_outcome::failed;
  }
  std::vector<std::size_t> wanted;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (sink.needs(i)) wanted.push_back(i);
  }
  counts.unchanged = sources.size() - wanted.size();
  ctx.progress.start_pass(kExportLabel, kUnitFiles, wanted.size());

  export_outcome outcome = export_outcome::completed;
  {
    read_ahead reader(sources, wanted, sink);
    read_item item;
    std::size_t done = 0;
    table_tally table;
    while (!ctx.run_interrupted() && reader.next(item)) {
      const export_source& s = sources[item.index];
      if (table.files + table.skipped > 0 && s.table != table.table) {
        ctx.set_label1(table_line_text(table), label_colour::blue);
        table = {};
      }
      table.table = s.table;
      ctx.progress.at_item(++done, s.code);
      ctx.pump();
      if (item.result == source_read::unreadable) {
        ctx.failures.add({s.code, kExportLabel, s.relative, item.reason});
        ++counts.skipped;
        ++table.skipped;
        continue;
      }
      // A file gone since the listing has no rows now: the destination drops what it had.
      if (!sink.put(item.index, item.rows)) {
        ctx.set_run_error(sink.error());
        break;
      }
      ++counts.read;
      ++table.files;
      counts.rows += item.rows.count();
      table.rows += item.rows.count();
      reader.recycle(std::move(item.rows));
    }
    if (!ctx.run_interrupted() && table.files + table.skipped > 0) {
      ctx.set_label1(table_line_text(table), label_colour::blue);
    }
  }
  if (ctx.has_run_error()) outcome = export_outcome::failed;
  else if (ctx.stop_flag()) outcome = export_outcome::stopped;
  if (outcome != export_outcome::completed) {
    sink.abandon();
    return outcome;
  }
  if (!sink.finish()) {
    sink.abandon();
    if (ctx.stop_flag()) return export_outcome::stopped;
    ctx.set_run_error(sink.error());
    return export_outcome::failed;
  }
  return outcome;
}

}  // namespace karigane
