// The stored files whose rows are dated (prices, splits, margin balances): one place for what
// every such file does the same way. A shape says how wide its lines are, which header field
// counts its rows, which row field holds the date and what the header shows of its rows; the
// file is read oldest first or newest first, written back, merged with freshly fetched rows by
// date, and copied into one file per calendar year.
//
// A merge reads the stored file whole first: a file that is there but cannot be read to its
// end is left untouched, so no stored row is lost by rewriting it from a partial read.
#pragma once

#include <string>

#include "core/status.h"
#include "core/table_file.h"

namespace karigane {

template <std::size_t W>
struct dated_file_shape {
  std::size_t file_width;   // fields per line, header and rows alike
  std::size_t count_field;  // the header's row count
  std::size_t date_field;   // the row's date (yyyymmdd)
  // Sets the header fields that describe the rows (the oldest and newest date of a price
  // file) from rows 1..count, which stand newest first or oldest first; nullptr when the
  // header has none.
  void (*describe_rows)(table_t<W>& table, bool newest_first) = nullptr;
};

// Reads the file into row 0 (the header) and rows 1..n, oldest first or newest first. A missing
// or unreadable file leaves the table untouched; a damaged one leaves in it what could be read.
template <std::size_t W>
status read_dated_file(const std::string& path, table_t<W>& table, const dated_file_shape<W>& shape,
                       bool newest_first) {
  table_t<W> read;
  const status r = read_table_file(path, read, shape.file_width, shape.count_field, newest_first);
  if (r == status::ok || r == status::damaged) table = std::move(read);
  return r;
}

// Replaces the file with row 0 and rows 1..n in table order (newest_first: the table holds the
// newest row first and the file gets them reversed). failed (the errno in error()) when it
// cannot be written.
template <std::size_t W>
status write_dated_file(const std::string& path, const table_t<W>& table,
                        const dated_file_shape<W>& shape, bool newest_first) {
  const file_status written =
      write_table_file(path, table, shape.file_width, shape.count_field, newest_first);
  return written ? status() : status(status::failed, written.error());
}

// Merges fetched rows (newest first; a date listed twice keeps its first row) into the stored
// file at `path`, or makes the file from them. ok; damaged or io_error: the stored file cannot
// be read whole and was left as it was; failed: the file could not be written. On return the
// table holds what was written (newest first).
template <std::size_t W>
status merge_into_dated_file(const std::string& path, table_t<W>& fetched,
                             const dated_file_shape<W>& shape) {
  if (fetched.empty()) return status(status::failed, EINVAL);
  keep_first_row_per_date(fetched, shape.date_field, shape.count_field);
  if (shape.describe_rows) shape.describe_rows(fetched, true);
  table_t<W> stored;
  const status r = read_dated_file(path, stored, shape, true);
  if (r == status::missing) return write_dated_file(path, fetched, shape, true);
  if (r.unusable()) return r;
  merge_descending(stored, table_count(stored, shape.count_field), fetched,
                   std::min(table_count(fetched, shape.count_field), fetched.size() - 1),
                   shape.date_field, shape.count_field);
  if (shape.describe_rows) shape.describe_rows(stored, true);
  fetched = std::move(stored);
  return write_dated_file(path, fetched, shape, true);
}

// What writing the yearly copies of a file came to: how its main file read (anything but ok
// writes nothing), and the first yearly file or folder that could not be written ("" when all
// were).
struct yearly_copies {
  status main_read;
  std::string unwritten;
};

// Rewrites every yearly copy of the main file at `main_path` from it: the rows of each calendar
// year go to `path_of(year)` under a copy of the header that counts (and describes) them.
// `table` is work space.
template <std::size_t W, typename PathOf>
yearly_copies write_yearly_copies(const std::string& main_path, table_t<W>& table,
                                  const dated_file_shape<W>& shape, PathOf path_of) {
  yearly_copies result;
  result.main_read = read_dated_file(main_path, table, shape, false);
  if (result.main_read != status::ok) return result;
  result.unwritten = write_year_runs(
      table, table_count(table, shape.count_field), shape.date_field, shape.count_field,
      shape.file_width,
      [&](table_t<W>& run) {
        if (shape.describe_rows) shape.describe_rows(run, false);
      },
      path_of);
  return result;
}

}  // namespace karigane
