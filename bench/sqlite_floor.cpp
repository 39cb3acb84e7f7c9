// What SQLite itself costs for the export's price rows, without reading or converting a file:
// STOCKS x ROWS rows (code, ISO date, five integers and the adjusted close) built in memory,
// written into a new database as the export writes them (the same table, key order, the
// same settings: the index's sort goes through temporary files, since sorting in memory with
// temp_store = MEMORY took twice the CPU), then the date index made. Prints the CPU seconds of each step and per row.
//
//   build/bench/sqlite_floor DATABASE [STOCKS] [ROWS] [table|row] [CACHE_KIB]
//
// `table` writes each stock with one INSERT ... SELECT from the rows table, as the export does;
// `row` with one bound INSERT per row, as it did before. CACHE_KIB sets the page cache (and so
// the sorter's memory) to compare with the export's 49152 (48 MiB; 131072 before). The peak
// memory is printed with the times.
#include <sqlite3.h>
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "export/export_tables.h"
#include "export/sqlite_rows_table.h"

namespace {

double cpu_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double wall_seconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), error);
    std::exit(1);
  }
}

// One stock's rows as the export builds them: weekdays' worth of distinct ascending dates.
void stock_rows(int stock, int rows, karigane::export_rows& out) {
  out.clear();
  out.table = karigane::export_table::prices;
  out.width = 8;
  const karigane::export_cell code = out.cells.kept_text(std::to_string(1301 + stock));
  long long price = 500 + (stock * 37) % 3000;
  for (int i = 0; i < rows; ++i) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", 1990 + i / 252, 1 + i % 252 / 21, 1 + i % 21);
    price += (i * 7 + stock) % 11 - 5;
    if (price < 50) price = 50;
    out.cells.repeat(code);
    out.cells.date(date);
    for (long long v : {price, price + 9, price - 8, price + 3, 1000LL + (i * 13 + stock) % 90000,
                        price + 3}) {
      out.cells.number(std::to_string(v));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sqlite_floor DATABASE [STOCKS] [ROWS] [table|row] [CACHE_KIB]\n");
    return 2;
  }
  const std::string path = argv[1];
  const int stocks = argc > 2 ? std::atoi(argv[2]) : 3600;
  const int rows = argc > 3 ? std::atoi(argv[3]) : 5000;
  const bool per_row = argc > 4 && std::string(argv[4]) == "row";
  const long cache_kib = argc > 5 ? std::atol(argv[5]) : 49152;
  std::remove(path.c_str());
  sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                  nullptr);
  for (const char* pragma : {"PRAGMA page_size = 16384", "PRAGMA journal_mode = OFF",
                             "PRAGMA synchronous = OFF", "PRAGMA locking_mode = EXCLUSIVE"}) {
    exec(db, pragma);
  }
  exec(db, "PRAGMA cache_size = -" + std::to_string(cache_kib));
  exec(db,
       "CREATE TABLE prices (code TEXT NOT NULL, date TEXT NOT NULL, open REAL, high REAL, "
       "low REAL, close REAL, volume INTEGER, adjusted_close REAL, PRIMARY KEY (code, date)) "
       "WITHOUT ROWID");
  karigane::sqlite_rows_table table;
  table.attach(db);
  sqlite3_stmt* insert = nullptr;
  const std::string sql = per_row ? "INSERT INTO prices VALUES (?, ?, ?, ?, ?, ?, ?, ?)"
                                  : "INSERT INTO prices " + karigane::sqlite_rows_table::select_sql(8);
  sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &insert, nullptr);
  exec(db, "BEGIN");
  karigane::export_rows one;
  double built = 0;
  const double c0 = cpu_seconds();
  const double w0 = wall_seconds();
  for (int s = 0; s < stocks; ++s) {
    const double b0 = cpu_seconds();
    stock_rows(s, rows, one);
    built += cpu_seconds() - b0;
    if (per_row) {
      for (std::size_t r = 0; r < one.count(); ++r) {
        for (int c = 0; c < 8; ++c) {
          const karigane::export_cell& cell = one.cells[r * 8 + static_cast<std::size_t>(c)];
          if (cell.k == karigane::export_cell::kind::text) {
            const std::string_view text = one.cells.text_of(cell);
            sqlite3_bind_text(insert, c + 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
          } else {
            sqlite3_bind_int64(insert, c + 1, cell.i);
          }
        }
        if (sqlite3_step(insert) != SQLITE_DONE) return 1;
        sqlite3_reset(insert);
      }
    } else {
      table.show(&one);
      if (sqlite3_step(insert) != SQLITE_DONE) return 1;
      sqlite3_reset(insert);
    }
  }
  const double c1 = cpu_seconds();
  const double w1 = wall_seconds();
  exec(db, "CREATE INDEX prices_date ON prices (date)");
  const double c2 = cpu_seconds();
  const double w2 = wall_seconds();
  exec(db, "COMMIT");
  sqlite3_finalize(insert);
  sqlite3_close(db);
  const double n = static_cast<double>(stocks) * rows;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double insert_cpu = c1 - c0 - built;
  std::printf("%d x %d rows, %s, cache %ld KiB: insert %.2f s CPU (%.2f us a row; %.2f s wall "
              "with building the rows), date index %.2f s CPU (%.2f us a row; %.2f s wall), "
              "peak %ld MiB\n",
              stocks, rows, per_row ? "a statement per row" : "a statement per stock", cache_kib,
              insert_cpu, insert_cpu / n * 1e6, w1 - w0, c2 - c1, (c2 - c1) / n * 1e6, w2 - w1,
              usage.ru_maxrss / 1024);
  return 0;
}
