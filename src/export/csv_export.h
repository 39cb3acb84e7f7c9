// The export to UTF-8 CSV files: one file per table (stocks.csv, prices.csv, ...) in a folder,
// a header row of column names, ISO dates, numbers as numbers and empty fields for NULL. The
// files start with a byte order mark so that spreadsheets read them as UTF-8 without asking;
// pandas and DuckDB skip it. The files are written into a staging folder and switched in as
// one set when every table is complete (csv_export_set.h): a stop, a failure or a crash leaves
// the previous set whole, and a folder whose files of those names no export wrote is refused.
#pragma once

#include <memory>
#include <string>

#include "export/export_driver.h"

namespace karigane {

class csv_export_sink : public export_sink {
 public:
  // `folder` ends in "/"; `shown_folder` is the name the messages give it.
  csv_export_sink(std::string folder, std::string shown_folder);
  ~csv_export_sink() override;

  bool begin(const std::vector<export_source>& sources,
             const std::vector<source_stamp>& stamps) override;
  bool needs(std::size_t) const override { return true; }
  // The rows' CSV lines, made on the reading threads (price files read as lines have them).
  void prepare(std::size_t i, export_rows& rows) const override;
  bool wants_csv_lines() const override { return true; }
  bool put(std::size_t i, const export_rows& rows) override;
  bool finish() override;
  void abandon() override;

  struct impl;

 private:
  std::unique_ptr<impl> impl_;
};

}  // namespace karigane
