// The stored files an export reads, and their rows as the export's tables hold them. Every
// file is read through its own kind's reader; a file that cannot be read to its end yields no
// rows at all (never part of them), so that the export holds either all of a file or, from an
// earlier export, its previous rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "export/export_cells.h"
#include "export/export_tables.h"

namespace karigane {

struct export_source {
  export_table table;
  std::string path;      // absolute
  std::string relative;  // relative to the program folder: the key of the export's records
  std::string name;      // the file name, for the status line
  std::string code;      // the stock of a per-stock file, else empty
  // The values of the table's source columns (export_table_layout::source_columns).
  std::vector<std::string> key;
  // Prices and adjusted prices: the split list whose splits give adjusted_close or
  // adjusted_volume.
  std::string split_path;
};

// Every stored file of the program folder's database, table by table in the order of
// all_export_tables(), and file-name order within a table. A folder that is there but cannot
// be listed goes to `unlisted` (for the tally).
std::vector<export_source> list_export_sources(const run_context& ctx, const program_layout& layout,
                                               std::vector<run_failure>* unlisted = nullptr);

// What an earlier export recorded of a price file (raw or adjusted): its rows but the last,
// as the first `prefix_bytes` bytes of its body (ended by a line feed) and their hash, and the
// last row's date. When the file's body still begins with those bytes, only the rows from that
// date on need writing: an update adds or replaces the newest day and leaves the thousands of
// rows before it as they were. Every byte is still read and hashed: a day corrected anywhere
// changes them.
struct append_hint {
  std::size_t prefix_rows = 0;
  std::size_t prefix_bytes = 0;
  std::uint64_t prefix_hash = 0;
  std::string last_date;  // yyyymmdd
};

// A source's rows: `width` cells a row, one after another.
struct export_rows {
  export_table table = export_table::stocks;
  std::size_t width = 0;
  export_cells cells;
  // Price files: only the rows dated from `hint.last_date` on are in `cells`; the ones before
  // are those of the earlier export.
  bool appended = false;
  // Price files in strict date order: what the next export's hint will be (prefix_rows 0
  // otherwise).
  append_hint next;
  // What the destination made of the rows on the reading thread (the CSV lines).
  std::string prepared;
  // Rows read straight into `prepared` as CSV lines, without cells (price files for the CSV
  // export): their number. 0 when the rows are the cells.
  std::size_t lines = 0;
  std::size_t count() const { return lines > 0 ? lines : width == 0 ? 0 : cells.size() / width; }
  void clear() {
    cells.clear();
    appended = false;
    next = {};
    prepared.clear();
    lines = 0;
  }
};

enum class source_read { ok, missing, unreadable };

// Reads a source and builds its rows; on `unreadable`, `reason` says why (in Japanese) and
// `rows` holds nothing. `hint`, for a price file, is what the earlier export recorded of it.
// With `csv_lines`, the rows of a price file may come as CSV lines (export_rows::lines).
source_read read_export_source(const export_source& source, export_rows& rows,
                               std::string& reason, const append_hint* hint = nullptr,
                               bool csv_lines = false);

}  // namespace karigane
