// The data files of the database: a header line and one line per row, fields separated by ","
// without quoting, CP932, CR LF. Generic reading (into a table whose row 0 is the header, in
// file order or reversed) and writing (atomically), and the merge of freshly downloaded rows
// into stored rows by date, shared by the price, split, margin and financial files.
//
// A stored file is "damaged" when it cannot be read to its end as its header says: a count
// that is not a number, fewer lines than the count, a line with another number of fields, or
// lines left over after the count; it is "unreadable" when it is there but cannot be opened or
// read (anything but ENOENT). Callers leave damaged and unreadable files untouched, so that no
// stored row is ever lost by rewriting a file from a partial read.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cp932.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/status.h"
#include "core/text.h"

namespace karigane {

template <std::size_t W>
using table_t = std::vector<std::array<std::string, W>>;

// The integer value of a table's count field (row 0, 0-based `count_field`), never negative.
template <std::size_t W>
std::size_t table_count(const table_t<W>& table, std::size_t count_field) {
  if (table.empty()) return 0;
  const std::int64_t n = int_value(table[0][count_field]);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

namespace detail {

bool count_text_is_number(const std::string& text);

}  // namespace detail

// Reads a file of `file_width` fields per line (header and rows alike) whose header field
// `count_field` (0-based) holds the number of rows. Rows go to table rows 1..n in file order,
// or in reverse order when `reversed`. On `missing` and `unreadable` the table is untouched;
// on `damaged` it holds what could be read.
template <std::size_t W>
status read_table_file(const std::string& path, table_t<W>& table, std::size_t file_width,
                            std::size_t count_field, bool reversed) {
  std::string bytes;
  if (const file_status read = read_file_bytes(path, bytes); !read) {
    if (read.missing()) return status::missing;
    return {status::io_error, read.error()};
  }
  const std::string text = cp932_to_utf8(bytes);
  field_reader reader(text);
  std::vector<std::string> fields;
  table.assign(1, {});
  if (!reader.next_line(fields) || fields.size() != file_width) {
    for (std::size_t i = 0; i < fields.size() && i < W; ++i) table[0][i] = std::move(fields[i]);
    return status::damaged;
  }
  for (std::size_t i = 0; i < file_width; ++i) table[0][i] = std::move(fields[i]);
  if (!detail::count_text_is_number(table[0][count_field])) return status::damaged;
  const std::size_t n = table_count(table, count_field);
  // Every row takes at least one byte: a larger count is a damaged header and must not size
  // the table.
  const bool count_fits = n <= text.size();
  if (reversed) {
    if (!count_fits) return status::damaged;
    table.resize(n + 1);
  } else {
    // Rows are built one after another while their line is still in the cache.
    table.reserve(std::min(n, text.size()) + 1);
  }
  for (std::size_t k = 1; k <= n; ++k) {
    // A copy of an empty row: emplace_back() would zero the whole row before building it.
    static const std::array<std::string, W> empty_row{};
    auto& row = reversed ? table[n + 1 - k] : table.emplace_back(empty_row);
    if (reader.next_line_into(row.data(), std::min(file_width, W)) != file_width) {
      table.resize(reversed ? 1 : k);
      return status::damaged;
    }
  }
  while (reader.next_line(fields)) {
    if (fields.size() != 1 || !fields[0].empty()) return status::damaged;
  }
  return status::ok;
}

// Replaces the file with row 0 and rows 1..n (n from `count_field`, bounded by the rows
// present), in table order or reversed, `file_width` fields per line.
template <std::size_t W>
file_status write_table_file(const std::string& path, const table_t<W>& table,
                             std::size_t file_width, std::size_t count_field, bool reversed) {
  if (table.empty()) return file_status(EINVAL);
  const std::size_t n = std::min(table_count(table, count_field), table.size() - 1);
  csv_text out;
  out.reserve((n + 1) * file_width * 8);
  out.add_row(table[0], file_width);
  for (std::size_t k = 1; k <= n; ++k) out.add_row(table[reversed ? n + 1 - k : k], file_width);
  return write_file_atomic(path, out.cp932());
}

// Puts downloaded rows 1..n (n from `count_field`) newest first by the numeric value of
// `date_field` and keeps one row per date, the first one the pages listed; the count follows.
// A page that lists a day twice, or its days out of order, thus never puts a second row of a
// day or a row out of order into a stored file. Rows already in strict order stay untouched.
template <std::size_t W>
void keep_first_row_per_date(table_t<W>& table, std::size_t date_field, std::size_t count_field) {
  if (table.empty()) return;
  const std::size_t n = std::min(table_count(table, count_field), table.size() - 1);
  std::vector<std::pair<double, std::size_t>> keys;
  keys.reserve(n);
  bool ordered = true;
  for (std::size_t k = 1; k <= n; ++k) {
    keys.emplace_back(val(table[k][date_field]), k);
    if (k > 1 && !(keys[k - 1].first < keys[k - 2].first)) ordered = false;
  }
  if (ordered) return;
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  table_t<W> out;
  out.reserve(n + 1);
  out.push_back(std::move(table[0]));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (i > 0 && keys[i].first == keys[i - 1].first) continue;
    out.push_back(std::move(table[keys[i].second]));
  }
  out[0][count_field] = num_text(static_cast<std::int64_t>(out.size() - 1));
  table = std::move(out);
}

// Merges downloaded rows D (rows 1..d, newest first) into stored rows E (rows 1..e, newest
// first), comparing the numeric values of field `date_field`: a stored row newer than the
// downloaded one is kept, an equal date takes the downloaded row, a newer downloaded row is
// inserted before the stored one, downloaded rows left when the stored rows are exhausted are
// appended, and stored rows left when the downloaded rows are exhausted stay as they are.
// E's header is kept; its count field becomes the new number of rows.
template <std::size_t W>
void merge_descending(table_t<W>& stored, std::size_t stored_count, const table_t<W>& downloaded,
                      std::size_t downloaded_count, std::size_t date_field,
                      std::size_t count_field) {
  table_t<W> out;
  out.reserve(stored_count + downloaded_count + 1);
  out.push_back(stored[0]);
  std::size_t i = 1;
  std::size_t j = 1;
  while (j <= downloaded_count) {
    if (i > stored_count) {
      out.push_back(downloaded[j++]);
      continue;
    }
    const double e = val(stored[i][date_field]);
    const double d = val(downloaded[j][date_field]);
    if (e > d) {
      out.push_back(std::move(stored[i++]));
    } else if (e == d) {
      out.push_back(downloaded[j++]);
      ++i;
    } else {
      out.push_back(downloaded[j++]);
    }
  }
  for (; i <= stored_count; ++i) out.push_back(std::move(stored[i]));
  out[0][count_field] = num_text(static_cast<std::int64_t>(out.size() - 1));
  stored = std::move(out);
}

// Cuts rows 1..n (ascending by date) into runs of equal year (the first four characters of
// field `date_field`) and writes each run, in table order, to `path_of(year)` (its folder
// created first): a copy of row 0 with `count_field` set to the run's length and adjusted by
// `fix_header` (for example the first and last dates), then the run's rows. A run of the last
// row alone gets its file too. Stops at the first folder or file that cannot be created or
// written and returns its path; empty when every file was written.
template <std::size_t W, typename FixHeader, typename PathOf>
std::string write_year_runs(const table_t<W>& table, std::size_t n, std::size_t date_field,
                            std::size_t count_field, std::size_t file_width, FixHeader fix_header,
                            PathOf path_of) {
  n = std::min(n, table.size() - 1);
  std::size_t first = 1;
  while (first <= n) {
    const std::string year = left(table[first][date_field], 4);
    std::size_t last = first;
    while (last + 1 <= n && left(table[last + 1][date_field], 4) == year) ++last;
    table_t<W> run;
    run.reserve(last - first + 2);
    run.push_back(table[0]);
    for (std::size_t k = first; k <= last; ++k) run.push_back(table[k]);
    run[0][count_field] = num_text(static_cast<std::int64_t>(last - first + 1));
    fix_header(run);
    const std::string path = path_of(year);
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    if (!ensure_folder(folder)) return folder;
    if (!write_table_file(path, run, file_width, count_field, false)) return path;
    first = last + 1;
  }
  return {};
}

}  // namespace karigane
