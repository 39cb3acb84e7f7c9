// The rows of one stored file as a table that SQLite reads ("karigane_rows", columns c0, c1,
// ...: an eponymous virtual table, which lives on the connection and never in the database),
// so that one statement, INSERT INTO t SELECT c0, ... FROM karigane_rows, writes every row of
// the file. SQLite then keeps its place in the table from one row to the next instead of
// searching it anew for each row, and no value is bound one call at a time: the insert costs
// less than half as much as a statement per row.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <memory>
#include <string>

#include "export/export_sources.h"

namespace karigane {

class sqlite_rows_table {
 public:
  sqlite_rows_table();
  ~sqlite_rows_table();
  sqlite_rows_table(const sqlite_rows_table&) = delete;
  sqlite_rows_table& operator=(const sqlite_rows_table&) = delete;

  // Makes the table known to the connection; false on a fault.
  bool attach(sqlite3* db);
  // The rows the table holds until the next call (nullptr: none).
  void show(const export_rows* rows);
  // "SELECT c0, ..., c{width-1} FROM karigane_rows".
  static std::string select_sql(std::size_t width);

  struct shown;

 private:
  std::unique_ptr<shown> shown_;
};

}  // namespace karigane
