// The sources of an export and their rows: see export_sources.h.
#include "export/export_sources.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "adjust/price_adjustment.h"
#include "core/damaged_file.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "export/export_driver.h"
#include "export/price_rows.h"
#include "financial/statement_files.h"
#include "financial/statement_kinds.h"
#include "financial/statement_summary.h"
#include "kinds/program_layout.h"
#include "latest/latest_files.h"
#include "margin/margin_files.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

bool digits_only(std::string_view text) {
  if (text.empty()) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "1301.csv" -> "1301"; "" for any other name (notes or backups a user keeps in a folder).
std::string stem_of_csv(const std::string& name) {
  if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".csv") != 0) return {};
  return name.substr(0, name.size() - 4);
}

// "20141127" or "20141127_1035".
bool is_day_stem(const std::string& stem) {
  if (stem.size() == 8) return digits_only(stem);
  return stem.size() == 13 && stem[8] == '_' && digits_only(stem.substr(0, 8)) &&
         digits_only(stem.substr(9));
}

std::string relative_to(const std::string& folder, const std::string& path) {
  if (!folder.empty() && path.compare(0, folder.size(), folder) == 0) {
    return path.substr(folder.size());
  }
  return path;
}

struct lister {
  const run_context& ctx;
  std::vector<export_source>& out;
  std::vector<run_failure>* unlisted;

  // Adds every file of `folder` whose stem passes `accept`; `fill` completes the source.
  template <typename Accept, typename Fill>
  void add_folder(export_table table, const std::string& folder, Accept accept, Fill fill) {
    file_status status;
    const std::vector<std::string> names = list_files(folder, &status);
    if (!status.ok() && !status.missing() && unlisted != nullptr) {
      unlisted->push_back({"", kExportLabel, ctx.relative_path(folder),
                           "フォルダの中を調べられません: " + file_error_text(status.error())});
    }
    for (const std::string& name : names) {
      const std::string stem = stem_of_csv(name);
      if (!accept(stem)) continue;
      export_source s;
      s.table = table;
      s.path = folder + name;
      s.relative = relative_to(ctx.program_folder, s.path);
      s.name = name;
      fill(s, stem);
      out.push_back(std::move(s));
    }
  }
};

// A stock's file: its name's stem is a stock code, as every run names and reads them.
bool stock_stem(const std::string& stem) { return stock_code_of_file(stem + ".csv").has_value(); }

std::string reason_of(const status& r) { return unusable_file_reason(r); }

// A stored file its reader did not take: missing, or unreadable for the reader's reason.
source_read not_taken(const status& r, std::string& reason) {
  if (r == status::missing) return source_read::missing;
  reason = reason_of(r);
  return source_read::unreadable;
}

// Whether the rows' own key column (the first key column after the source columns) holds
// every value once, and no NULL where the table cannot hold one. `what` names the fault.
bool keys_are_unique(const export_rows& rows, const export_table_layout& layout,
                     std::string& what) {
  const std::size_t column = layout.source_columns;
  std::vector<std::string_view> keys;
  keys.reserve(rows.count());
  bool ascending = true;
  for (std::size_t r = 0; r < rows.count(); ++r) {
    const export_cell& c = rows.cells[r * rows.width + column];
    if (c.k == export_cell::kind::null) {
      if (layout.without_rowid) {
        what = "キー（" + std::string(layout.columns[column].name) + "）のない行があります";
        return false;
      }
      continue;
    }
    const std::string_view key = rows.cells.text_of(c);
    if (!keys.empty() && !(keys.back() < key)) ascending = false;
    keys.push_back(key);
  }
  if (ascending) return true;
  std::sort(keys.begin(), keys.end());
  for (std::size_t k = 1; k < keys.size(); ++k) {
    if (keys[k] == keys[k - 1]) {
      what = "同じ" + std::string(layout.columns[column].name) + "の行が重複しています（" +
             std::string(keys[k]) + "）";
      return false;
    }
  }
  return true;
}

// The adjusted closes of the rows read by the price file reader (row k's in closes[k][4]):
// the closes scaled by the split adjustment of the adjusted-price files. No split list leaves
// them as they are, a damaged one leaves them unknown (false).
bool adjusted_closes(const export_source& s, const jikeiretu_data_t& prices, std::size_t n,
                     jikeiretu_data_t& closes) {
  bunkatu_list_t splits;
  const status r = read_dated_file(s.split_path, splits, kSplitFile, false);
  if (r != status::ok && r != status::missing) return false;
  // Only the closes are adjusted: the rule works field by field, so the other fields are left
  // empty to spare the work.
  closes.assign(n + 1, {});
  closes[0] = prices[0];
  for (std::size_t k = 1; k <= n; ++k) {
    closes[k][0] = prices[k][0];
    closes[k][4] = prices[k][4];
  }
  if (r == status::ok) adjust_prices_for_splits(splits, closes);
  return true;
}

// The volume factors of the rows of an adjusted file read by the price file reader: none
// without a split list (the volumes as stored), unknown (false) with a damaged one.
bool adjusted_volumes(const export_source& s, const jikeiretu_data_t& prices, std::size_t n,
                      std::vector<volume_factor>& volumes) {
  bunkatu_list_t splits;
  const status r = read_dated_file(s.split_path, splits, kSplitFile, false);
  if (r == status::missing) return true;
  if (r != status::ok) return false;
  std::vector<std::string_view> dates;
  dates.reserve(n);
  for (std::size_t k = 1; k <= n; ++k) dates.push_back(prices[k][0]);
  volumes = volume_factors(splits, dates);
  return true;
}

source_read read_prices(const export_source& s, export_rows& rows, std::string& reason,
                        bool adjusted_file, const append_hint* hint, bool csv_lines) {
  // Plain files are taken from their bytes (one pass, as fast as copying them); a file that
  // only gained a newest day has only its new rows built. Anything else goes through the price
  // file reader. The bytes are read into a buffer each reading thread keeps.
  thread_local std::string bytes;
  if (read_file_bytes(s.path, bytes) &&
      ((csv_lines && price_lines_from_bytes(s, bytes, adjusted_file, rows)) ||
       price_rows_from_bytes(s, bytes, hint, adjusted_file, rows))) {
    return source_read::ok;
  }
  rows.clear();
  jikeiretu_data_t t;
  const status r = read_dated_file(s.path, t, kPriceFile, false);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(price_count(t), t.size() - 1);
  jikeiretu_data_t closes;
  const bool adjusted = !adjusted_file && adjusted_closes(s, t, n, closes);
  std::vector<volume_factor> volumes;
  const bool volumes_known = adjusted_file && adjusted_volumes(s, t, n, volumes);
  for (std::size_t k = 1; k <= n; ++k) {
    const jikeiretu_row& row = t[k];
    rows.cells.text(s.code);
    rows.cells.date(row[0]);
    for (std::size_t f = 1; f <= 5; ++f) rows.cells.number(row[f]);
    if (adjusted_file) {
      if (volumes_known) {
        rows.cells.scaled(row[5], k <= volumes.size() ? volumes[k - 1] : volume_factor{});
      } else {
        rows.cells.null();
      }
      continue;
    }
    if (adjusted) {
      rows.cells.number(closes[k][4]);
    } else {
      rows.cells.null();
    }
  }
  return source_read::ok;
}

source_read read_splits(const export_source& s, export_rows& rows, std::string& reason) {
  bunkatu_list_t t;
  const status r = read_dated_file(s.path, t, kSplitFile, false);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(split_count(t), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    rows.cells.text(s.code);
    rows.cells.date(t[k][0]);
    rows.cells.number(t[k][1]);
    rows.cells.number(t[k][2]);
  }
  return source_read::ok;
}

source_read read_margin(const export_source& s, export_rows& rows, std::string& reason) {
  credit_tbl_t t;
  const status r = read_dated_file(s.path, t, kMarginFile, false);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(credit_count(t), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    rows.cells.text(s.code);
    rows.cells.date(t[k][0]);
    for (std::size_t f = 1; f <= 3; ++f) rows.cells.number(t[k][f]);
  }
  return source_read::ok;
}

// The 22 stored items of a period (the file's columns), as cells.
template <typename Field>
void add_statement_items(export_rows& rows, Field field) {
  rows.cells.period(field(0));
  rows.cells.date(field(1));
  for (std::size_t c = 2; c < kZaimuFileWidth; ++c) rows.cells.number(field(c));
}

source_read read_statements(const export_source& s, export_rows& rows, std::string& reason) {
  zaimu_tbl_t t;
  const status r = read_statement_file(s.path, t);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(zaimu_count(t), t.size() - 1);
  // Records are newest first; the file and the export oldest first.
  for (std::size_t k = n; k >= 1; --k) {
    const zaimu_record& record = t[k];
    rows.cells.text(s.code);
    rows.cells.text(s.key[1]);
    add_statement_items(rows, [&](std::size_t c) -> const std::string& {
      return record[c < kZaimuMemoryOnly ? c : c + 1];
    });
    rows.cells.text(t[0][kZaimuName]);
  }
  return source_read::ok;
}

source_read read_summary(const export_source& s, export_rows& rows, std::string& reason) {
  table_t<kSummaryWidth> t;
  const status r = read_statement_summary(s.path, t);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(table_count(t, 0), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    const auto& line = t[k];
    rows.cells.text(s.key[0]);
    rows.cells.date(s.key[1]);
    rows.cells.text(line[0]);
    rows.cells.text(line[1]);
    add_statement_items(rows, [&](std::size_t c) -> const std::string& { return line[2 + c]; });
  }
  return source_read::ok;
}

source_read read_latest(const export_source& s, export_rows& rows, std::string& reason) {
  data_d_table_t t;
  const bool intraday = s.key[0].size() > 8;
  const status r = read_data_d_file(s.path, t, intraday);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(data_d_count(t), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    const data_d_record& row = t[k];
    rows.cells.text(s.key[0]);
    rows.cells.text(row[kDCode]);
    rows.cells.date(t[0][kDCode]);
    rows.cells.text(row[kDMarket]);
    rows.cells.text(row[kDName]);
    for (std::size_t f = kDOpen; f <= kDVolume; ++f) rows.cells.number(row[f]);
    if (intraday) {
      rows.cells.date(row[kDTradeDate]);
    } else {
      rows.cells.null();
    }
  }
  return source_read::ok;
}

source_read read_stock_list(const export_source& s, export_rows& rows, std::string& reason) {
  // The list's own rules (four fields a line, the count first) through the data-file reader,
  // which only reads: the stock list's reader would restore a damaged list in place.
  table_t<4> t;
  const status r = read_table_file(s.path, t, 4, 0, false);
  if (r != status::ok) return not_taken(r, reason);
  const std::size_t n = std::min(table_count(t, 0), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    for (std::size_t f = 0; f < 4; ++f) rows.cells.text(t[k][f]);
  }
  return source_read::ok;
}

}  // namespace

std::vector<export_source> list_export_sources(const run_context& ctx, const program_layout& layout,
                                               std::vector<run_failure>* unlisted) {
  std::vector<export_source> out;
  lister l{ctx, out, unlisted};
  const auto per_stock = [](export_source& src, const std::string& stem) {
    src.code = stem;
    src.key = {stem};
  };
  const std::string list_path = layout.stock_list_file();
  if (file_exists(list_path)) {
    export_source src;
    src.table = export_table::stocks;
    src.path = list_path;
    src.relative = "meigara_list.csv";
    src.name = "meigara_list.csv";
    out.push_back(std::move(src));
  }
  const auto with_splits = [&](export_source& src, const std::string& stem) {
    per_stock(src, stem);
    src.split_path = layout.split_file(stem);
  };
  l.add_folder(export_table::prices, layout.price_folder(), stock_stem,
               with_splits);
  l.add_folder(export_table::splits, layout.split_folder(), stock_stem, per_stock);
  l.add_folder(export_table::adjusted_prices, layout.adjusted_price_folder(), stock_stem,
               with_splits);
  l.add_folder(export_table::margin, layout.margin_folder(), stock_stem, per_stock);
  for (const char* kind : kStatementKinds) {
    l.add_folder(export_table::statements,
                 layout.statement_folder(statement_folder_name(layout, kind)), stock_stem,
                 [&](export_source& src, const std::string& stem) {
                   src.code = stem;
                   src.key = {stem, kind};
                 });
  }
  for (const char* kind : kStatementKinds) {
    l.add_folder(export_table::statement_summaries,
                 layout.summary_folder(statement_folder_name(layout, kind)),
                 [](const std::string& stem) { return stem.size() == 8 && digits_only(stem); },
                 [&](export_source& src, const std::string& stem) { src.key = {kind, stem}; });
  }
  l.add_folder(export_table::latest_prices, layout.latest_folder(), is_day_stem,
               [](export_source& src, const std::string& stem) { src.key = {stem}; });
  return out;
}

source_read read_export_source(const export_source& source, export_rows& rows,
                               std::string& reason, const append_hint* hint, bool csv_lines) {
  const export_table_layout& layout = table_layout(source.table);
  rows.table = source.table;
  rows.width = layout.columns.size();
  rows.clear();
  source_read r = source_read::missing;
  switch (source.table) {
    case export_table::stocks: r = read_stock_list(source, rows, reason); break;
    case export_table::prices:
      r = read_prices(source, rows, reason, false, hint, csv_lines);
      break;
    case export_table::splits: r = read_splits(source, rows, reason); break;
    case export_table::adjusted_prices:
      r = read_prices(source, rows, reason, true, hint, csv_lines);
      break;
    case export_table::margin: r = read_margin(source, rows, reason); break;
    case export_table::statements: r = read_statements(source, rows, reason); break;
    case export_table::statement_summaries: r = read_summary(source, rows, reason); break;
    case export_table::latest_prices: r = read_latest(source, rows, reason); break;
  }
  // (Lines are made only of rows in strict key order.)
  if (r == source_read::ok && rows.lines == 0 && !keys_are_unique(rows, layout, reason)) {
    r = source_read::unreadable;
  }
  if (r != source_read::ok) rows.clear();
  return r;
}

}  // namespace karigane
