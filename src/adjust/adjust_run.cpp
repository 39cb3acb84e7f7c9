// The adjusted-price run: see adjust_run.h.
//
// Sources are only read. A price file that cannot be read to its end, or whose split list is
// damaged, is passed over, so its earlier adjusted copy stays as it was rather than being
// replaced by a wrong one. A stock without a split list is copied byte for byte. Stocks are worked on several at a time.
// Output files are replaced atomically; a write that fails does not
// stop the other stocks but turns the ending into the error ending, so that a full disk or a
// read-only folder is not reported as success.
#include "adjust/adjust_run.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "adjust/price_adjustment.h"
#include "adjust/year_list.h"
#include "adjust/yearly_join.h"
#include "app/settings.h"
#include "core/data_file_bytes.h"
#include "core/fields.h"
#include "core/folders.h"
#include "core/parallel_files.h"
#include "timeseries/price_files.h"
#include "timeseries/split_files.h"

namespace karigane {
namespace {

// Output files that could not be written: the first one in file order is named in the
// message. Noted from the worker threads.
class write_failures {
 public:
  void note(std::size_t order, const std::string& path) {
    std::lock_guard<std::mutex> lock(m_);
    if (count_++ == 0 || order < first_order_) {
      first_order_ = order;
      first_ = path;
    }
  }
  bool any() const { return count_ > 0; }
  std::string message() const {
    std::string m = "ファイルを書き込めません: " + first_;
    if (count_ > 1) m += "（ほか" + std::to_string(count_ - 1) + "件）";
    return m;
  }

 private:
  std::mutex m_;
  long count_ = 0;
  std::size_t first_order_ = 0;
  std::string first_;
};

std::string folder_message(const std::string& folder) {
  return "フォルダを作成できません: " + folder;
}

run_ending failed(run_context& ctx, const std::string& message) {
  error_ending(ctx, message);
  return run_ending::error;
}

run_ending aborted(run_context& ctx) {
  abort_ending(ctx);
  return run_ending::aborted;
}

// Only the stock files "<code>.csv" are adjusted; other files a user may keep in the price
// folder (notes, backups) are left out of the run.
bool is_price_file_name(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".csv";
}

std::string adjusted_folder(const settei_record& s) { return s.syusei_path + s.data_m_name + "/"; }

enum class copy_result { copied, failed, skipped, needs_reader };

// Copies a price file that scans as well formed (unquoted, and as the reader would accept
// it); a missing source is skipped, and any other is left to the reader to judge.
copy_result copy_price_file(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!read_file_bytes(from, bytes)) return copy_result::skipped;
  data_file_layout layout;
  if (scan_data_file(bytes, kPriceFileWidth, kPriceCount, layout) != layout_scan::ok) {
    return copy_result::needs_reader;
  }
  return write_file_atomic(to, bytes) ? copy_result::copied : copy_result::failed;
}

void adjust(const bunkatu_list_t& splits, jikeiretu_data_t& prices) {
  std::int16_t error_flag_s = kFalse;
  jikeiretu_hosei_sub(splits, prices, error_flag_s);
}

run_ending main_file_mode(run_context& ctx, write_failures& failures) {
  const settei_record& s = ctx.settei;
  const std::string source_folder = s.kabuka_path + s.data_m_name + "/";
  bool listed = false;
  std::vector<std::string> files = list_files(source_folder, &listed);
  if (!listed) return run_ending::completed;
  std::erase_if(files, [](const std::string& name) { return !is_price_file_name(name); });
  const std::string out_folder = adjusted_folder(s);
  if (!ensure_folder(out_folder)) return failed(ctx, folder_message(out_folder));
  // Every stock is independent of the others: several are adjusted at once.
  for_each_file_in_parallel(
      ctx, files.size(),
      [&](std::size_t i) {
        const std::string& name = files[i];
        bunkatu_list_t splits;
        const read_result split_read = read_bunkatu_asc_sub(split_folder_path(s) + name, splits);
        if (split_read == read_result::damaged) return;
        if (split_read == read_result::missing) {
          // Without a split list the prices are written unchanged: a file that reads as a
          // price file is copied byte for byte, without building its rows.
          const copy_result copied = copy_price_file(source_folder + name, out_folder + name);
          if (copied == copy_result::failed) failures.note(i, out_folder + name);
          if (copied != copy_result::needs_reader) return;
        }
        jikeiretu_data_t prices;
        if (read_jikeiretu_asc_sub(source_folder + name, prices) != read_result::ok) return;
        if (split_read == read_result::ok) adjust(splits, prices);
        if (write_jikeiretu_asc_sub(out_folder + name, prices) != 0) failures.note(i, out_folder + name);
      },
      [&](std::size_t i) { ctx.set_label1("調整株価処理中:" + files[i], label_colour::blue); });
  if (ctx.stop_flag()) return aborted(ctx);
  return run_ending::completed;
}

run_ending yearly_mode(run_context& ctx, write_failures& failures) {
  const settei_record& s = ctx.settei;
  const std::vector<int> years = last_consecutive_years(yearly_price_years(s));
  if (years.empty()) return run_ending::completed;
  const std::string joined_price_folder = s.kabuka_path + s.data_m_name + "_1/";
  const std::string joined_split_folder = s.kabuka_path + s.data_m_name + "h_1/";
  const std::string out_folder = adjusted_folder(s);
  for (const std::string& folder : {s.kabuka_path + s.data_m_name + "/", joined_price_folder,
                                    split_folder_path(s), joined_split_folder, out_folder}) {
    if (!ensure_folder(folder)) return failed(ctx, folder_message(folder));
  }
  const std::string newest_folder =
      s.kabuka_path + std::to_string(years.back()) + "/" + s.data_m_name + "/";
  std::vector<std::string> files = list_files(newest_folder);
  std::erase_if(files, [](const std::string& name) { return !is_price_file_name(name); });
  for_each_file_in_parallel(
      ctx, files.size(),
      [&](std::size_t i) {
        const std::string& name = files[i];
        joined_series joined;
        if (join_yearly_files(s, years, name, joined) != join_result::joined) return;
        if (write_jikeiretu_asc_sub(joined_price_folder + name, joined.prices) != 0) {
          failures.note(i, joined_price_folder + name);
        }
        if (split_count(joined.splits) >= 1 &&
            write_bunkatu_asc_sub(joined_split_folder + name, joined.splits) != 0) {
          failures.note(i, joined_split_folder + name);
        }
        adjust(joined.splits, joined.prices);
        if (write_jikeiretu_asc_sub(out_folder + name, joined.prices) != 0) {
          failures.note(i, out_folder + name);
        }
      },
      [&](std::size_t i) { ctx.set_label1("年毎調整株価処理中:" + files[i], label_colour::blue); });
  if (ctx.stop_flag()) return aborted(ctx);
  return run_ending::completed;
}

}  // namespace

run_ending out2_hosei_cmd_Click(run_context& ctx) {
  ctx.set_stop_flag(false);
  ctx.set_label1("", label_colour::blue);
  ctx.pump();
  read_settei_sub(ctx, ctx.settei);
  ctx.set_controls_sub(false);
  ctx.pump();
  if (!ensure_folder(ctx.settei.syusei_path)) {
    return failed(ctx, folder_message(ctx.settei.syusei_path));
  }
  ctx.pump();

  write_failures failures;
  const run_ending ending =
      ctx.controls.out2_nenngoto_chk ? yearly_mode(ctx, failures) : main_file_mode(ctx, failures);
  if (ending != run_ending::completed) return ending;
  if (failures.any()) return failed(ctx, failures.message());

  ctx.set_controls_sub(true);
  ctx.set_label1("", label_colour::blue);
  ctx.pump();
  return run_ending::completed;
}

}  // namespace karigane
