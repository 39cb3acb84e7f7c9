// The export to UTF-8 CSV files: one file per table (stocks.csv, prices.csv, ...) in a folder,
// a header row of column names, ISO dates, numbers as numbers and empty fields for NULL. The
// files start with a byte order mark so that spreadsheets read them as UTF-8 without asking;
// pandas and DuckDB skip it. Each file is written as a temporary file and renamed over the old
// one when every table is complete, so a stop leaves the previous files as they were.
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
  // The rows' CSV lines, made on the reading threads.
  void prepare(std::size_t i, export_rows& rows) const override;
  bool put(std::size_t i, const export_rows& rows) override;
  bool finish() override;
  void abandon() override;

  struct impl;

 private:
  std::unique_ptr<impl> impl_;
};

}  // namespace karigane
