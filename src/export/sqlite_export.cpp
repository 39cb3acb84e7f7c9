// The SQLite export: see sqlite_export.h.
#include "export/sqlite_export.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "core/file_store.h"
#include "export/file_holders.h"
#include "export/sqlite_rows_table.h"

namespace karigane {
namespace {

constexpr const char* kFormat = "karigane-export";
// 3: adjusted_prices gained adjusted_volume. An export of another version is built anew.
constexpr const char* kFormatVersion = "3";

// The page cache, in KiB. SQLite's sorter, which makes the date indexes, may hold as much again
// in memory: together with the rows read ahead, an export stays below 150 MiB.
constexpr const char* kCacheSize = "PRAGMA cache_size = -49152";

struct stmt_deleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using stmt_ptr = std::unique_ptr<sqlite3_stmt, stmt_deleter>;

std::string quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string create_table_sql(const export_table_layout& layout) {
  std::string sql = "CREATE TABLE " + quoted(layout.name) + " (";
  for (std::size_t c = 0; c < layout.columns.size(); ++c) {
    if (c) sql += ", ";
    sql += quoted(layout.columns[c].name) + " " + std::string(layout.columns[c].sql_type);
    if (layout.without_rowid && c < layout.key_columns) sql += " NOT NULL";
  }
  sql += ", PRIMARY KEY (";
  for (std::size_t c = 0; c < layout.key_columns; ++c) {
    if (c) sql += ", ";
    sql += quoted(layout.columns[c].name);
  }
  sql += "))";
  if (layout.without_rowid) sql += " WITHOUT ROWID";
  return sql;
}

// Every row of the rows table goes in with one statement (see sqlite_rows_table.h).
std::string insert_sql(const export_table_layout& layout) {
  return "INSERT INTO " + quoted(layout.name) + " " +
         sqlite_rows_table::select_sql(layout.columns.size());
}

std::string delete_sql(const export_table_layout& layout) {
  std::string sql = "DELETE FROM " + quoted(layout.name);
  for (std::size_t c = 0; c < layout.source_columns; ++c) {
    sql += (c ? " AND " : " WHERE ") + quoted(layout.columns[c].name) + " = ?";
  }
  return sql;
}

// What an export keeps of each file: the table and key of its rows, and its stamps.
struct stored_stamp {
  std::int64_t size, mtime_ns, split_size, split_mtime_ns;
  std::string table;
  std::vector<std::string> key;
  append_hint hint;
};

// Tables whose files are rewritten for a new newest day (see append_hint).
bool appends_by_date(export_table t) {
  return t == export_table::prices || t == export_table::adjusted_prices;
}

// "20130109" as the date column holds it.
std::string iso_date(const std::string& yyyymmdd) {
  return yyyymmdd.substr(0, 4) + "-" + yyyymmdd.substr(4, 2) + "-" + yyyymmdd.substr(6, 2);
}

std::string column_text(sqlite3_stmt* s, int column) {
  const auto* v = sqlite3_column_text(s, column);
  return v == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(v));
}

bool same(const stored_stamp& s, const source_stamp& t) {
  return s.size == t.file.size && s.mtime_ns == t.file.mtime_ns && s.split_size == t.splits.size &&
         s.split_mtime_ns == t.splits.mtime_ns;
}

}  // namespace

struct sqlite_export_sink::impl {
  using clock = std::chrono::steady_clock;
  std::string path, shown, temp;
  std::string& error;
  export_wait wait;
  clock::time_point busy_since{}, busy_reported{};
  double busy_seconds = 0;  // the last wait's length
  bool busy_given_up = false;
  sqlite3* db = nullptr;
  bool fresh = false;
  bool in_transaction = false;
  const std::vector<export_source>* sources = nullptr;
  const std::vector<source_stamp>* stamps = nullptr;
  std::vector<bool> need;
  std::map<std::string, stored_stamp> stored;
  std::array<stmt_ptr, kExportTableCount> insert, erase, erase_from;
  std::vector<std::optional<append_hint>> hints;
  stmt_ptr state_put, state_drop;
  sqlite_rows_table rows_table;  // outlives the connection, whose tables read it

  impl(std::string p, std::string s, std::string& e, export_wait w)
      : path(std::move(p)), shown(std::move(s)), error(e), wait(std::move(w)) {
    // One connection on one thread: no counting of the library's memory, which costs a lock
    // on every allocation of millions of rows. Refused (harmlessly) once the library is in use.
    static const bool configured = [] {
      sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
      return true;
    }();
    (void)configured;
  }
  ~impl() { close(); }

  void close() {
    for (auto& s : insert) s.reset();
    for (auto& s : erase) s.reset();
    for (auto& s : erase_from) s.reset();
    state_put.reset();
    state_drop.reset();
    if (db != nullptr) sqlite3_close(db);
    db = nullptr;
  }

  // SQLite's busy handler: a lock another connection holds is tried again until the wait's
  // end, telling the front end as the wait begins and once a second on.
  static int on_busy(void* self, int attempt) {
    impl& m = *static_cast<impl*>(self);
    const clock::time_point now = clock::now();
    if (attempt == 0) m.busy_since = now;
    m.busy_seconds = std::chrono::duration<double>(now - m.busy_since).count();
    if (m.busy_seconds >= m.wait.seconds) return 0;
    if (m.wait.waiting && (attempt == 0 || now - m.busy_reported >= std::chrono::seconds(1))) {
      m.busy_reported = now;
      if (!m.wait.waiting(m.busy_seconds, holders_text(processes_holding(m.path)))) {
        m.busy_given_up = true;
        return 0;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 10 ? 10 : 100));
    return 1;
  }

  bool busy() const {
    return db != nullptr && (sqlite3_extended_errcode(db) & 0xff) == SQLITE_BUSY;
  }

  bool fail(const std::string& what) {
    if (busy() && !busy_given_up) {
      // The whole wait was waited (its last sleep may have run past it on a busy machine).
      char waited[32];
      std::snprintf(waited, sizeof waited, "%g", wait.seconds);
      error = shown + " を" + holders_text(processes_holding(path)) +
              "が開いているため、書き込めません（" + waited + "秒待ちました）。";
      return false;
    }
    error = "データベースに書き込めません: " + shown + "（" + what;
    if (db != nullptr) error += ": " + std::string(sqlite3_errmsg(db));
    error += "）";
    return false;
  }

  bool exec(const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    return fail(sql.substr(0, sql.find(' ', 8)));
  }

  stmt_ptr prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
        SQLITE_OK) {
      sqlite3_finalize(s);
      return nullptr;
    }
    return stmt_ptr(s);
  }

  // The records of an earlier export at `path`; false when the file is not such an export.
  bool load_earlier() {
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      return fail("開けません");
    }
    sqlite3_busy_handler(db, &impl::on_busy, this);
    stmt_ptr format = prepare("SELECT value FROM export_info WHERE key = 'format'");
    const int found = format ? sqlite3_step(format.get()) : SQLITE_ERROR;
    if (busy()) return fail("export_info");
    bool ours = false;
    if (found == SQLITE_ROW) {
      const auto* v = sqlite3_column_text(format.get(), 0);
      ours = v != nullptr && std::string(reinterpret_cast<const char*>(v)) == kFormat;
    }
    format.reset();
    if (!ours) {
      close();
      error = not_an_export_text(shown);
      return false;
    }
    stmt_ptr version = prepare("SELECT value FROM export_info WHERE key = 'version'");
    bool current = false;
    if (version && sqlite3_step(version.get()) == SQLITE_ROW) {
      const auto* v = sqlite3_column_text(version.get(), 0);
      current = v != nullptr && std::string(reinterpret_cast<const char*>(v)) == kFormatVersion;
    }
    version.reset();
    if (!current) return true;  // an older layout: rebuilt from every file
    stmt_ptr rows = prepare(
        "SELECT path, size, mtime_ns, split_size, split_mtime_ns, tbl, key1, key2, "
        "prefix_rows, prefix_bytes, prefix_hash, last_date FROM export_sources");
    if (!rows) return fail("export_sources");
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
      sqlite3_stmt* r = rows.get();
      stored_stamp& s = stored[column_text(r, 0)];
      s = {sqlite3_column_int64(r, 1),
           sqlite3_column_int64(r, 2),
           sqlite3_column_int64(r, 3),
           sqlite3_column_int64(r, 4),
           column_text(r, 5),
           {column_text(r, 6), column_text(r, 7)},
           {static_cast<std::size_t>(std::max<std::int64_t>(0, sqlite3_column_int64(r, 8))),
            static_cast<std::size_t>(std::max<std::int64_t>(0, sqlite3_column_int64(r, 9))),
            static_cast<std::uint64_t>(sqlite3_column_int64(r, 10)), column_text(r, 11)}};
    }
    return true;
  }

  bool open_fresh() {
    temp = path + ".karigane-tmp" + std::to_string(::getpid());
    std::remove(temp.c_str());
    std::remove((temp + "-journal").c_str());
    if (sqlite3_open_v2(temp.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      return fail("作成できません");
    }
    fresh = true;
    // No journal: until the rename, the file is nobody's database.
    if (!exec("PRAGMA page_size = 16384") || !exec("PRAGMA journal_mode = OFF") ||
        !exec("PRAGMA synchronous = OFF") || !exec("PRAGMA locking_mode = EXCLUSIVE") ||
        !exec(kCacheSize)) {
      return false;
    }
    for (export_table t : all_export_tables()) {
      if (!exec(create_table_sql(table_layout(t)))) return false;
    }
    return exec("CREATE TABLE export_info (key TEXT PRIMARY KEY, value TEXT)") &&
           exec("CREATE TABLE export_sources (path TEXT PRIMARY KEY, tbl TEXT, key1 TEXT, "
                "key2 TEXT, size INTEGER, mtime_ns INTEGER, split_size INTEGER, "
                "split_mtime_ns INTEGER, rows_written INTEGER, prefix_rows INTEGER, "
                "prefix_hash INTEGER, last_date TEXT, prefix_bytes INTEGER) WITHOUT ROWID");
  }

  bool create_indexes() {
    for (export_table t : all_export_tables()) {
      const export_table_layout& layout = table_layout(t);
      for (std::string_view column : layout.indexes) {
        const std::string name = std::string(layout.name) + "_" + std::string(column);
        if (!exec("CREATE INDEX " + quoted(name) + " ON " + quoted(layout.name) + " (" +
                  quoted(column) + ")")) {
          return false;
        }
      }
    }
    return exec("INSERT INTO export_info VALUES ('format', '" + std::string(kFormat) +
                "'), ('version', '" + kFormatVersion + "')");
  }

  bool prepare_writes() {
    if (!rows_table.attach(db)) return fail("karigane_rows");
    for (export_table t : all_export_tables()) {
      const auto i = static_cast<std::size_t>(t);
      insert[i] = prepare(insert_sql(table_layout(t)));
      erase[i] = prepare(delete_sql(table_layout(t)));
      if (!insert[i] || !erase[i]) return fail(std::string(table_layout(t).name));
      if (appends_by_date(t)) {
        erase_from[i] = prepare(delete_sql(table_layout(t)) + " AND \"date\" >= ?");
        if (!erase_from[i]) return fail(std::string(table_layout(t).name));
      }
    }
    state_put =
        prepare("INSERT OR REPLACE INTO export_sources VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    state_drop = prepare("DELETE FROM export_sources WHERE path = ?");
    if (!state_put || !state_drop) return fail("export_sources");
    return true;
  }

  static bool step(sqlite3_stmt* s) {
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    return rc == SQLITE_DONE;
  }

  // Deletes the rows of a file, or only those dated from `from` (ISO) on.
  bool erase_source(const export_source& src, const std::string* from = nullptr) {
    const auto t = static_cast<std::size_t>(src.table);
    sqlite3_stmt* del = from != nullptr ? erase_from[t].get() : erase[t].get();
    const std::size_t keys = table_layout(src.table).source_columns;
    for (std::size_t c = 0; c < keys; ++c) {
      sqlite3_bind_text(del, static_cast<int>(c + 1), src.key[c].data(),
                        static_cast<int>(src.key[c].size()), SQLITE_STATIC);
    }
    if (from != nullptr) {
      sqlite3_bind_text(del, static_cast<int>(keys + 1), from->data(),
                        static_cast<int>(from->size()), SQLITE_STATIC);
    }
    return step(del);
  }

  bool drop_state(const std::string& relative) {
    sqlite3_bind_text(state_drop.get(), 1, relative.data(), static_cast<int>(relative.size()),
                      SQLITE_STATIC);
    return step(state_drop.get());
  }

  // The rows of files that are no longer stored leave the export.
  bool erase_removed() {
    std::set<std::string> present;
    for (const export_source& s : *sources) present.insert(s.relative);
    for (const auto& [relative, record] : stored) {
      if (present.count(relative)) continue;
      export_source gone;
      bool known = false;
      for (export_table t : all_export_tables()) {
        if (table_layout(t).name == record.table) {
          gone.table = t;
          known = true;
        }
      }
      if (!known) continue;
      gone.key = record.key;
      if (!erase_source(gone) || !drop_state(relative)) return fail("DELETE");
    }
    return true;
  }
};

sqlite_export_sink::sqlite_export_sink(std::string path, std::string shown_path,
                                       export_wait wait)
    : impl_(std::make_unique<impl>(std::move(path), std::move(shown_path), error_,
                                   std::move(wait))) {}

sqlite_export_sink::~sqlite_export_sink() { abandon(); }

bool sqlite_export_sink::begin(const std::vector<export_source>& sources,
                               const std::vector<source_stamp>& stamps) {
  impl& m = *impl_;
  m.sources = &sources;
  m.stamps = &stamps;
  m.need.assign(sources.size(), true);
  if (file_exists(m.path)) {
    if (!m.load_earlier()) return false;
    std::int64_t total = 0;
    std::int64_t changed = 0;
    m.hints.assign(sources.size(), std::nullopt);
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const auto it = m.stored.find(sources[i].relative);
      m.need[i] = it == m.stored.end() || !same(it->second, stamps[i]);
      total += stamps[i].file.size;
      if (!m.need[i]) continue;
      const stored_stamp* earlier = it == m.stored.end() ? nullptr : &it->second;
      // A price file whose split list is unchanged may only have a new newest day.
      if (earlier != nullptr && appends_by_date(sources[i].table) &&
          earlier->hint.prefix_rows > 0 && earlier->hint.prefix_bytes > 0 &&
          earlier->hint.last_date.size() == 8 &&
          earlier->split_size == stamps[i].splits.size &&
          earlier->split_mtime_ns == stamps[i].splits.mtime_ns) {
        m.hints[i] = earlier->hint;
        changed += std::max<std::int64_t>(stamps[i].file.size - earlier->size, 0) + 256;
      } else {
        changed += stamps[i].file.size;
      }
    }
    // When most of the data changed, building anew is faster than replacing it row by row.
    if (!m.stored.empty() && changed * 2 <= total) {
      if (!m.exec("PRAGMA journal_mode = DELETE") || !m.exec("PRAGMA synchronous = FULL") ||
          !m.exec(kCacheSize) || !m.prepare_writes() ||
          !m.exec("BEGIN IMMEDIATE")) {
        return false;
      }
      m.in_transaction = true;
      return m.erase_removed();
    }
    m.close();
    m.stored.clear();
    m.hints.clear();
    m.need.assign(sources.size(), true);
  }
  if (!m.open_fresh() || !m.prepare_writes() || !m.exec("BEGIN")) return false;
  m.in_transaction = true;
  return true;
}

bool sqlite_export_sink::needs(std::size_t i) const { return impl_->need[i]; }

const append_hint* sqlite_export_sink::hint(std::size_t i) const {
  if (i >= impl_->hints.size() || !impl_->hints[i]) return nullptr;
  return &*impl_->hints[i];
}

bool sqlite_export_sink::put(std::size_t i, const export_rows& rows) {
  impl& m = *impl_;
  const export_source& src = (*m.sources)[i];
  const source_stamp& stamp = (*m.stamps)[i];
  if (rows.appended) {
    const std::string from = iso_date(m.hints[i]->last_date);
    if (!m.erase_source(src, &from)) return m.fail("DELETE");
  } else if (!m.fresh && !m.erase_source(src)) {
    return m.fail("DELETE");
  }
  if (rows.count() > 0) {
    m.rows_table.show(&rows);
    const bool inserted = impl::step(m.insert[static_cast<std::size_t>(src.table)].get());
    m.rows_table.show(nullptr);
    if (!inserted) return m.fail("INSERT " + src.relative);
  }
  sqlite3_stmt* st = m.state_put.get();
  sqlite3_bind_text(st, 1, src.relative.data(), static_cast<int>(src.relative.size()),
                    SQLITE_STATIC);
  const std::string_view table = table_layout(src.table).name;
  sqlite3_bind_text(st, 2, table.data(), static_cast<int>(table.size()), SQLITE_STATIC);
  for (int k = 0; k < 2; ++k) {
    if (static_cast<std::size_t>(k) < src.key.size()) {
      sqlite3_bind_text(st, 3 + k, src.key[k].data(), static_cast<int>(src.key[k].size()),
                        SQLITE_STATIC);
    } else {
      sqlite3_bind_null(st, 3 + k);
    }
  }
  sqlite3_bind_int64(st, 5, stamp.file.size);
  sqlite3_bind_int64(st, 6, stamp.file.mtime_ns);
  sqlite3_bind_int64(st, 7, stamp.splits.size);
  sqlite3_bind_int64(st, 8, stamp.splits.mtime_ns);
  sqlite3_bind_int64(st, 9, static_cast<std::int64_t>(rows.count()));
  sqlite3_bind_int64(st, 10, static_cast<std::int64_t>(rows.next.prefix_rows));
  sqlite3_bind_int64(st, 11, static_cast<std::int64_t>(rows.next.prefix_hash));
  sqlite3_bind_text(st, 12, rows.next.last_date.data(),
                    static_cast<int>(rows.next.last_date.size()), SQLITE_STATIC);
  sqlite3_bind_int64(st, 13, static_cast<std::int64_t>(rows.next.prefix_bytes));
  if (!impl::step(st)) return m.fail("export_sources");
  return true;
}

bool sqlite_export_sink::finish() {
  impl& m = *impl_;
  if (m.fresh && !m.create_indexes()) return false;
  if (!m.exec("COMMIT")) return false;
  m.in_transaction = false;
  m.close();
  if (!m.fresh) return true;
  // Replaced as every data file is (core/fields.h): the rename comes after every byte is
  // written, and the file system orders the data before a rename over an existing file.
  if (std::rename(m.temp.c_str(), m.path.c_str()) != 0) return m.fail("rename");
  m.temp.clear();
  return true;
}

void sqlite_export_sink::abandon() {
  impl& m = *impl_;
  if (m.in_transaction && m.db != nullptr && !m.fresh) {
    sqlite3_exec(m.db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  m.in_transaction = false;
  m.close();
  if (!m.temp.empty()) {
    std::remove(m.temp.c_str());
    m.temp.clear();
  }
}

bool sqlite_export_sink::rebuilt() const { return impl_->fresh; }

}  // namespace karigane
