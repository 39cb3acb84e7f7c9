// The tables of an export, shared by the SQLite database and the CSV files: their names,
// their columns with SQL types, their primary keys and indexes, and which columns name the
// stored file a row comes from (so that a changed file's rows can be replaced).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace karigane {

enum class export_table : std::size_t {
  stocks,
  prices,
  splits,
  adjusted_prices,
  margin,
  statements,
  statement_summaries,
  latest_prices,
};
inline constexpr std::size_t kExportTableCount = 8;

struct export_column {
  std::string_view name;
  std::string_view sql_type;  // "TEXT", "INTEGER", "REAL" (REAL columns may hold integers)
};

struct export_table_layout {
  std::string_view name;
  std::span<const export_column> columns;
  // The first `source_columns` columns name the stored file a row comes from (code, or kind
  // and code, ...): deleting by them removes exactly that file's rows. 0 for stocks (one file).
  std::size_t source_columns;
  // The primary key's columns, the first ones of the table.
  std::size_t key_columns;
  bool without_rowid;  // keys that are never NULL: the rows are stored in key order
  std::span<const std::string_view> indexes;  // extra indexes: column lists
};

const export_table_layout& table_layout(export_table table);
std::span<const export_table> all_export_tables();

}  // namespace karigane
