// The rows as a table SQLite reads: see sqlite_rows_table.h.
#include "export/sqlite_rows_table.h"

#include <cstring>

namespace karigane {

struct sqlite_rows_table::shown {
  const export_rows* rows = nullptr;
};

namespace {

// More than the widest exported table has.
constexpr std::size_t kColumns = 32;

// SQLite hands back the `base` members as the table and the cursor: they come first.
struct rows_vtab {
  sqlite3_vtab base;
  const sqlite_rows_table::shown* shown;
};

struct rows_cursor {
  sqlite3_vtab_cursor base;
  const export_rows* rows;
  std::size_t row;
};

int connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** table, char**) {
  std::string sql = "CREATE TABLE x(";
  for (std::size_t c = 0; c < kColumns; ++c) sql += (c ? ", c" : "c") + std::to_string(c);
  sql += ")";
  if (const int rc = sqlite3_declare_vtab(db, sql.c_str()); rc != SQLITE_OK) return rc;
  auto* t = static_cast<rows_vtab*>(sqlite3_malloc(sizeof(rows_vtab)));
  if (t == nullptr) return SQLITE_NOMEM;
  std::memset(t, 0, sizeof *t);
  t->shown = static_cast<const sqlite_rows_table::shown*>(aux);
  *table = &t->base;
  return SQLITE_OK;
}

int best_index(sqlite3_vtab*, sqlite3_index_info* info) {
  info->estimatedCost = 1;
  return SQLITE_OK;
}

int disconnect(sqlite3_vtab* table) {
  sqlite3_free(table);
  return SQLITE_OK;
}

int open_cursor(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
  auto* c = static_cast<rows_cursor*>(sqlite3_malloc(sizeof(rows_cursor)));
  if (c == nullptr) return SQLITE_NOMEM;
  std::memset(c, 0, sizeof *c);
  *cursor = &c->base;
  return SQLITE_OK;
}

int close_cursor(sqlite3_vtab_cursor* cursor) {
  sqlite3_free(cursor);
  return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
  auto* c = reinterpret_cast<rows_cursor*>(cursor);
  c->rows = reinterpret_cast<const rows_vtab*>(cursor->pVtab)->shown->rows;
  c->row = 0;
  return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cursor) {
  ++reinterpret_cast<rows_cursor*>(cursor)->row;
  return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* cursor) {
  const auto* c = reinterpret_cast<const rows_cursor*>(cursor);
  return c->rows == nullptr || c->row >= c->rows->count();
}

int column(sqlite3_vtab_cursor* cursor, sqlite3_context* ctx, int i) {
  const auto* c = reinterpret_cast<const rows_cursor*>(cursor);
  const auto col = static_cast<std::size_t>(i);
  if (col >= c->rows->width) {
    sqlite3_result_null(ctx);
    return SQLITE_OK;
  }
  const export_cell& cell = c->rows->cells[c->row * c->rows->width + col];
  switch (cell.k) {
    case export_cell::kind::null: sqlite3_result_null(ctx); break;
    case export_cell::kind::integer: sqlite3_result_int64(ctx, cell.i); break;
    case export_cell::kind::real: sqlite3_result_double(ctx, cell.r); break;
    case export_cell::kind::text: {
      const std::string_view text = c->rows->cells.text_of(cell);
      sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
      break;
    }
  }
  return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* id) {
  *id = static_cast<sqlite3_int64>(reinterpret_cast<const rows_cursor*>(cursor)->row);
  return SQLITE_OK;
}

// Without xCreate the table is eponymous only: it needs no CREATE VIRTUAL TABLE, so nothing
// of it is ever written into the database.
sqlite3_module rows_module() {
  sqlite3_module m;
  std::memset(&m, 0, sizeof m);
  m.xConnect = connect;
  m.xBestIndex = best_index;
  m.xDisconnect = disconnect;
  m.xDestroy = disconnect;
  m.xOpen = open_cursor;
  m.xClose = close_cursor;
  m.xFilter = filter;
  m.xNext = next;
  m.xEof = eof;
  m.xColumn = column;
  m.xRowid = rowid;
  return m;
}

const sqlite3_module kRowsModule = rows_module();

}  // namespace

sqlite_rows_table::sqlite_rows_table() : shown_(std::make_unique<shown>()) {}
sqlite_rows_table::~sqlite_rows_table() = default;

bool sqlite_rows_table::attach(sqlite3* db) {
  return sqlite3_create_module_v2(db, "karigane_rows", &kRowsModule, shown_.get(), nullptr) ==
         SQLITE_OK;
}

void sqlite_rows_table::show(const export_rows* rows) { shown_->rows = rows; }

std::string sqlite_rows_table::select_sql(std::size_t width) {
  std::string sql = "SELECT ";
  for (std::size_t c = 0; c < width; ++c) sql += (c ? ", c" : "c") + std::to_string(c);
  return sql + " FROM karigane_rows";
}

}  // namespace karigane
