// The export pass over the stored files: lists them, asks the destination which ones it must
// read (an incremental export reads only the files that changed), reads them (workers read
// ahead on every core while the destination writes) and hands each file's rows to the
// destination, in the order of the listing. A file that cannot be read is skipped and counted
// in the run's failure tally; the destination then keeps what an earlier export had of it.
// Progress (file i of N) goes to the run's progress source, and the status line gets one line
// per table as its files are done ("エクスポート:prices 3600ファイル 18000000行").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "export/export_sources.h"

namespace karigane {

// What tells a destination that a source changed: the file's stamp, and for a price file the
// stamp of the split list that adjusts it.
struct source_stamp {
  file_stamp file;
  file_stamp splits;
};

// Where the rows go: the SQLite database or the CSV files.
class export_sink {
 public:
  virtual ~export_sink() = default;
  // Called once with every stored source before any is read; false on a fault (error()).
  virtual bool begin(const std::vector<export_source>& sources,
                     const std::vector<source_stamp>& stamps) = 0;
  // Whether source i must be read (after begin).
  virtual bool needs(std::size_t i) const = 0;
  // What the destination holds of a price file it needs, so that only its new rows are built.
  virtual const append_hint* hint(std::size_t) const { return nullptr; }
  // Called on a reading thread with source i's rows as soon as they are read, so that work
  // on them that needs nothing else (the CSV lines) is done on every core; may run for several
  // sources at once.
  virtual void prepare(std::size_t, export_rows&) const {}
  // Whether the rows of a price file may come as CSV lines (export_rows::lines).
  virtual bool wants_csv_lines() const { return false; }
  // Source i's rows replace whatever the destination held of it; false on a fault.
  virtual bool put(std::size_t i, const export_rows& rows) = 0;
  // Makes the whole export visible at once; false on a fault.
  virtual bool finish() = 0;
  // Leaves the destination as it was before begin().
  virtual void abandon() = 0;
  const std::string& error() const { return error_; }

 protected:
  std::string error_;
};

// What the tally and the progress call the export.
inline constexpr const char* kExportLabel = "エクスポート";

// The refusal of a target that no export wrote: "DIR/prices.csv は Karigane のエクスポートでは
// ないため、書き換えません。"
std::string not_an_export_text(const std::string& shown_path);

enum class export_outcome { completed, stopped, failed };

struct export_counts {
  std::size_t sources = 0;    // stored files found
  std::size_t read = 0;       // files read and written
  std::size_t unchanged = 0;  // files the destination already held as they are
  std::size_t skipped = 0;    // files that could not be read (in the tally)
  std::size_t rows = 0;       // rows written (of a price file that gained days, the new ones)
};

// The pass. On `failed` the run-ending fault is set on the context.
export_outcome run_export_pass(run_context& ctx, const program_layout& layout, export_sink& sink,
                               export_counts& counts);

}  // namespace karigane
