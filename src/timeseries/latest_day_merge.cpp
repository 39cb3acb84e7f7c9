// The latest day written into the stored time series: see data_m_update.h.
#include "timeseries/latest_day_merge.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "core/cp932.h"
#include "core/damaged_file.h"
#include "core/data_file_bytes.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/parallel_files.h"
#include "kinds/data_kinds.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

// Puts the latest day's row of a stock into its price table: the row of that day is replaced,
// a newer day is appended, an older day that is missing is inserted in date order.
void put_latest_row(jikeiretu_data_t& t, const std::string& latest, const data_d_record& r) {
  const std::size_t n = std::min(price_count(t), t.size() - 1);
  t.resize(n + 1);
  t.reserve(n + 2);
  const jikeiretu_row row{latest, r[kDOpen], r[kDHigh], r[kDLow], r[kDClose], r[kDVolume], ""};
  const double day = val(latest);
  std::size_t at = n + 1;
  while (at > 1 && val(t[at - 1][0]) > day) --at;
  if (at > 1 && val(t[at - 1][0]) == day) {
    t[at - 1] = row;
    return;
  }
  t.insert(t.begin() + static_cast<std::ptrdiff_t>(at), row);
  t[0][kPriceCount] = num_text(static_cast<std::int64_t>(n + 1));
  t[0][kPriceOldest] = t[1][0];
  t[0][kPriceNewest] = t[n + 1][0];
}

// The common cases without reading the rows: the latest day after the newest row is appended,
// or replaces the newest row when it is that day. The header's dates and count follow; its
// other fields keep their bytes. The file is written in pieces: the new header, the rows kept
// (straight from the old bytes) and the new row. False when the day lies before the newest row.
bool latest_row_by_bytes(const std::string& path, const data_file_layout& layout,
                         const std::string& latest, const data_d_record& r, file_status& written) {
  const double day = val(latest);
  const bool empty = layout.count == 0;
  const double newest = empty ? 0 : val(std::string(first_field(layout.last_row)));
  if (!empty && day < newest) return false;
  csv_text row;
  row.add_row({latest, r[kDOpen], r[kDHigh], r[kDLow], r[kDClose], r[kDVolume]});
  const std::string row_line = row.cp932();
  const std::size_t kept = !empty && day == newest
                               ? static_cast<std::size_t>(layout.last_row.data() - layout.body.data())
                               : layout.body.size();
  const std::size_t count = layout.count + (!empty && day == newest ? 0 : 1);
  std::string header;
  for (std::size_t i = 0; i < kPriceFileWidth; ++i) {
    if (i) header += ',';
    if (i == kPriceOldest && empty) {
      header += latest;
    } else if (i == kPriceNewest) {
      header += latest;
    } else if (i == kPriceCount) {
      header += std::to_string(count);
    } else {
      header += layout.header[i];
    }
  }
  header += "\r\n";
  const std::string_view rows = layout.body.substr(0, kept);
  // The last row kept may lack its line end (the file's end).
  const std::string_view line_end = !rows.empty() && rows.back() != '\n' ? "\r\n" : "";
  const std::string_view pieces[] = {header, rows, line_end, row_line};
  written = write_file_atomic(path, pieces);
  return true;
}

// One folder's pass: every stock file whose code the table holds gets the latest day. The
// files are independent, so several are rewritten at once. A file that cannot be read whole is
// left untouched and reported; one that cannot be written ends the run, and no new file is
// begun after it.
void update_folder(run_context& ctx, const std::string& folder, const data_d_table_t& table,
                   const std::unordered_map<std::string, std::size_t>& rows) {
  file_status listed;
  std::vector<std::string> files = list_files(folder, &listed);
  if (!listed) {
    if (!listed.missing()) report_unlisted_folder(ctx, kUpdateLabel, folder, listed);
    return;
  }
  // The same names as the update's code list takes ("NNNN.csv"), 9999.csv included.
  std::erase_if(files, [](const std::string& name) {
    const std::optional<std::string> code = stock_code_of_file(name);
    return !code || code->front() == '0';
  });
  const std::string& latest = table[0][kDCode];
  // A stock whose row has no close did not trade that day by a source that knows no last
  // price for it (J-Quants): a day without prices is no row of its series.
  auto row_of = [&](const std::string& code) -> const data_d_record* {
    const auto it = rows.find(trim(code));
    if (it == rows.end() || table[it->second][kDClose] == kNoTradeText) return nullptr;
    return &table[it->second];
  };
  unusable_file_notes unusable;
  ctx.progress.start_pass(kUpdateLabel, kUnitFiles, files.size());
  for_each_file_in_parallel(
      ctx, files.size(),
      [&](std::size_t i) {
        const std::string path = folder + files[i];
        // Each worker reads into the same memory file after file.
        thread_local std::string bytes;
        if (const file_status read = read_file_bytes(path, bytes); !read) {
          if (!read.missing()) {
            unusable.note(i, left(files[i], 4), path, {status::io_error, read.error()});
          }
          return;
        }
        data_file_layout layout;
        const layout_scan scan = scan_data_file(bytes, kPriceFileWidth, kPriceCount, layout);
        if (scan == layout_scan::damaged) {
          unusable.note(i, left(files[i], 4), path, status::damaged);
          return;
        }
        if (scan == layout_scan::ok) {
          const std::string code = trim(cp932_to_utf8(layout.header[kPriceCode]));
          const data_d_record* r = row_of(code);
          if (r == nullptr) return;
          file_status written;
          if (latest_row_by_bytes(path, layout, latest, *r, written)) {
            if (!written) ctx.set_write_error(path);
            return;
          }
        }
        jikeiretu_data_t t;
        if (const status r = read_dated_file(path, t, kPriceFile, false); r != status::ok) {
          if (r.unusable()) unusable.note(i, left(files[i], 4), path, r);
          return;
        }
        const data_d_record* r = row_of(t[0][kPriceCode]);
        if (r == nullptr) return;
        put_latest_row(t, latest, *r);
        if (!write_dated_file(path, t, kPriceFile, false)) ctx.set_write_error(path);
      },
      [&](std::size_t i) { ctx.progress.at_item(i + 1); });
  unusable.report(ctx, kUpdateLabel);
}

}  // namespace

void merge_latest_day(run_context& ctx, const program_layout& layout,
                      const data_d_table_t& table) {
  if (ctx.run_interrupted() || table.empty()) return;
  const std::size_t n = data_d_count(table);
  std::unordered_map<std::string, std::size_t> rows;
  for (std::size_t k = 1; k <= n; ++k) rows.emplace(trim(table[k][kDCode]), k);
  update_folder(ctx, layout.price_folder(), table, rows);
  if (ctx.run_interrupted()) return;
  update_folder(ctx, layout.yearly_price_folder(left(table[0][kDCode], 4)), table, rows);
}

}  // namespace karigane
