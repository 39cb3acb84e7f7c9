// The adjusted-price files: see adjusted_files.h.
#include "adjust/adjusted_files.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "adjust/price_adjustment.h"
#include "adjust/year_list.h"
#include "adjust/yearly_join.h"
#include "core/damaged_file.h"
#include "core/data_file_bytes.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/parallel_files.h"
#include "kinds/data_kinds.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

// Output files that could not be written, noted from the worker threads: the first one in
// file order is kept for the message. The first one ends the run (no new file is begun). The
// files written are counted too.
class write_failures {
 public:
  write_failures(run_context& ctx, adjusted_files_outcome& outcome)
      : ctx_(ctx), outcome_(outcome) {}
  void note(std::size_t order, const std::string& path) {
    ctx_.set_write_error(path);
    std::lock_guard<std::mutex> lock(m_);
    if (outcome_.write_failures++ == 0 || order < first_order_) {
      first_order_ = order;
      outcome_.first_write_failure = path;
    }
  }
  // An adjusted file of `rows` rows written.
  void written(std::size_t rows) {
    std::lock_guard<std::mutex> lock(m_);
    ++outcome_.files_written;
    outcome_.rows_written += static_cast<long>(rows);
  }

 private:
  run_context& ctx_;
  adjusted_files_outcome& outcome_;
  std::mutex m_;
  std::size_t first_order_ = 0;
};

// Only the stock files "<code>.csv" are adjusted; other files a user may keep in the price
// folder (notes, backups) are left out of the run.
bool is_price_file_name(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".csv";
}


std::string code_of(const std::string& file_name) {
  return file_name.substr(0, file_name.size() - 4);
}

}  // namespace

adjusted_files_outcome write_adjusted_main_files(run_context& ctx, const program_layout& layout) {
  adjusted_files_outcome outcome;
  write_failures failures(ctx, outcome);
  unusable_file_notes unusable;
  const std::string source_folder = layout.price_folder();
  file_status listed;
  std::vector<std::string> files = list_files(source_folder, &listed);
  if (!listed) {
    if (!listed.missing()) report_unlisted_folder(ctx, kAdjustedLabel, source_folder, listed);
    return outcome;
  }
  std::erase_if(files, [](const std::string& name) { return !is_price_file_name(name); });
  const std::string out_folder = layout.adjusted_price_folder();
  if (!ensure_folder(out_folder)) {
    outcome.folder_failed = out_folder;
    return outcome;
  }
  // Every stock is independent of the others: several are adjusted at once. A source that
  // cannot be read whole (a split list that is there but unreadable included: the prices
  // would come out unadjusted) leaves the stock's adjusted file as it was.
  ctx.progress.start_pass(kAdjustedLabel, kUnitFiles, files.size());
  for_each_file_in_parallel(
      ctx, files.size(),
      [&](std::size_t i) {
        const std::string& name = files[i];
        const std::string source = source_folder + name;
        const std::string target = out_folder + name;
        const std::string split_path = layout.split_folder() + name;
        bunkatu_list_t splits;
        const status split_read = read_dated_file(split_path, splits, kSplitFile, false);
        if (split_read.unusable()) {
          unusable.note(i, code_of(name), split_path, split_read);
          return;
        }
        // Each worker reads and writes in the same memory file after file.
        thread_local std::string bytes;
        thread_local std::string adjusted;
        if (const file_status read = read_file_bytes(source, bytes); !read) {
          if (!read.missing()) {
            unusable.note(i, code_of(name), source, {status::io_error, read.error()});
          }
          return;
        }
        // A file that scans as a price file is written from its bytes: without a split list
        // the prices are written unchanged (copied byte for byte), with one its rows are
        // scaled line by line. The reader takes what the scan cannot judge (quoted or damaged
        // files) and rows the byte way cannot reproduce.
        data_file_layout layout;
        if (scan_data_file(bytes, kPriceFileWidth, kPriceCount, layout) == layout_scan::ok) {
          const std::optional<std::string_view> out =
              split_read == status::missing
                  ? std::optional<std::string_view>(bytes)
                  : adjusted_price_file(bytes, layout, splits, adjusted);
          if (out) {
            if (!write_file_atomic(target, *out)) return failures.note(i, target);
            return failures.written(layout.count);
          }
        }
        jikeiretu_data_t prices;
        if (const status r = read_dated_file(source, prices, kPriceFile, false); r != status::ok) {
          if (r.unusable()) unusable.note(i, code_of(name), source, r);
          return;
        }
        if (split_read == status::ok) adjust_prices_for_splits(splits, prices);
        if (!write_dated_file(target, prices, kPriceFile, false)) return failures.note(i, target);
        failures.written(price_count(prices));
      },
      [&](std::size_t i) {
        ctx.progress.at_item(i + 1);
        ctx.set_label1("調整株価処理中:" + files[i], label_colour::blue);
      });
  unusable.report(ctx, kAdjustedLabel);
  return outcome;
}

adjusted_files_outcome write_adjusted_yearly_files(run_context& ctx,
                                                   const program_layout& layout) {
  adjusted_files_outcome outcome;
  write_failures failures(ctx, outcome);
  unusable_file_notes unusable;
  std::string unlisted;
  file_status listed;
  const std::vector<int> years = last_consecutive_years(yearly_price_years(layout, &unlisted, &listed));
  if (!unlisted.empty()) report_unlisted_folder(ctx, kAdjustedLabel, unlisted, listed);
  if (years.empty()) return outcome;
  const std::string joined_price_folder = layout.joined_price_folder();
  const std::string joined_split_folder = layout.joined_split_folder();
  const std::string out_folder = layout.adjusted_price_folder();
  for (const std::string& folder : {layout.price_folder(), joined_price_folder,
                                    layout.split_folder(), joined_split_folder, out_folder}) {
    if (!ensure_folder(folder)) {
      outcome.folder_failed = folder;
      return outcome;
    }
  }
  const std::string newest_folder =
      layout.yearly_price_folder(std::to_string(years.back()));
  std::vector<std::string> files = list_files(newest_folder, &listed);
  if (!listed) {
    if (!listed.missing()) report_unlisted_folder(ctx, kAdjustedLabel, newest_folder, listed);
    return outcome;
  }
  std::erase_if(files, [](const std::string& name) { return !is_price_file_name(name); });
  ctx.progress.start_pass(kAdjustedLabel, kUnitFiles, files.size());
  for_each_file_in_parallel(
      ctx, files.size(),
      [&](std::size_t i) {
        const std::string& name = files[i];
        joined_series joined;
        const join_result joining = join_yearly_files(layout, years, name, joined);
        if (joining == join_result::damaged) {
          unusable.note(i, code_of(name), joined.unusable_path, joined.unusable);
        }
        if (joining != join_result::joined) return;
        // The stock's files are written in turn; the first that fails ends its work.
        if (!write_dated_file(joined_price_folder + name, joined.prices, kPriceFile, false)) {
          return failures.note(i, joined_price_folder + name);
        }
        if (split_count(joined.splits) >= 1 &&
            !write_dated_file(joined_split_folder + name, joined.splits, kSplitFile, false)) {
          return failures.note(i, joined_split_folder + name);
        }
        adjust_prices_for_splits(joined.splits, joined.prices);
        if (!write_dated_file(out_folder + name, joined.prices, kPriceFile, false)) {
          return failures.note(i, out_folder + name);
        }
        failures.written(price_count(joined.prices));
      },
      [&](std::size_t i) {
        ctx.progress.at_item(i + 1);
        ctx.set_label1("年毎調整株価処理中:" + files[i], label_colour::blue);
      });
  unusable.report(ctx, kAdjustedLabel);
  return outcome;
}

}  // namespace karigane
