// The export to one SQLite database: the tables of export_tables.h with their keys and
// indexes, and a record of every stored file it holds (size and modification time, and those
// of a price file's split list), so that the next export reads only what changed.
//
// Nothing half written is ever seen. A new database, or one where most files changed, is built
// in a temporary file beside the target and renamed over it at the end; otherwise the changed
// files' rows are replaced in place inside one transaction. A stop, a fault or a crash leaves
// the previous export as it was. A file at the target that is not such an export is never
// overwritten. A database that another program holds (a reader in the middle of a query keeps
// the changes from being written) is waited for, and then named with the processes that hold
// it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "export/export_driver.h"

namespace karigane {

// How long a database that another program holds is waited for, and who hears of the wait.
struct export_wait {
  double seconds = 30;
  // Called as the wait begins and about once a second on, with the seconds waited and who
  // holds the database ("プロセス 1234" or "他のプログラム"); false gives the wait up (a stop).
  std::function<bool(double waited, const std::string& holders)> waiting;
};

class sqlite_export_sink : public export_sink {
 public:
  // `path` the database file; `shown_path` the name the messages give it.
  sqlite_export_sink(std::string path, std::string shown_path, export_wait wait = {});
  ~sqlite_export_sink() override;

  bool begin(const std::vector<export_source>& sources,
             const std::vector<source_stamp>& stamps) override;
  bool needs(std::size_t i) const override;
  const append_hint* hint(std::size_t i) const override;
  bool put(std::size_t i, const export_rows& rows) override;
  bool finish() override;
  void abandon() override;

  // Whether this export rebuilt the database from every file.
  bool rebuilt() const;

  struct impl;

 private:
  std::unique_ptr<impl> impl_;
};

}  // namespace karigane
