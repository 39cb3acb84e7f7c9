// The sources of an export and their rows: see export_sources.h.
#include "export/export_sources.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "adjust/price_adjustment.h"
#include "core/data_file_bytes.h"
#include "core/fields.h"
#include "core/damaged_file.h"
#include "core/file_store.h"
#include "financial/statement_files.h"
#include "financial/statement_kinds.h"
#include "financial/statement_summary.h"
#include "latest/latest_files.h"
#include "margin/margin_files.h"
#include "timeseries/price_files.h"
#include "timeseries/split_files.h"

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
      unlisted->push_back({"", kKindExport, ctx.relative_path(folder),
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

bool stock_stem(const std::string& stem) { return digits_only(stem); }

std::string reason_of(const read_result& r) { return unusable_file_reason(r); }

// Whether the rows' own key column (the first key column after the source columns) holds
// every value once, and no NULL where the table cannot hold one. `what` names the fault.
bool keys_are_unique(const export_rows& rows, const export_table_spec& spec, std::string& what) {
  const std::size_t column = spec.source_columns;
  std::vector<const std::string*> keys;
  keys.reserve(rows.count());
  bool ascending = true;
  for (std::size_t r = 0; r < rows.count(); ++r) {
    const export_cell& c = rows.cells[r * rows.width + column];
    if (c.k == export_cell::kind::null) {
      if (spec.without_rowid) {
        what = "キー（" + std::string(spec.columns[column].name) + "）のない行があります";
        return false;
      }
      continue;
    }
    if (!keys.empty() && !(*keys.back() < c.t)) ascending = false;
    keys.push_back(&c.t);
  }
  if (ascending) return true;
  std::sort(keys.begin(), keys.end(), [](auto* a, auto* b) { return *a < *b; });
  for (std::size_t k = 1; k < keys.size(); ++k) {
    if (*keys[k] == *keys[k - 1]) {
      what = "同じ" + std::string(spec.columns[column].name) + "の行が重複しています（" +
             *keys[k] + "）";
      return false;
    }
  }
  return true;
}

void add(export_rows& rows, export_cell cell) { rows.cells.push_back(std::move(cell)); }

export_cell code_cell(const std::string& code) { return text_cell(code); }

// adjusted_close of rows first..n (out[k - 1] for row k): the closes scaled by the split
// adjustment of the adjusted-price files; no split list leaves them as they are, a damaged one
// leaves them unknown.
std::vector<export_cell> adjusted_closes(const export_source& s, const jikeiretu_data_t& prices,
                                         std::size_t n, std::size_t first) {
  std::vector<export_cell> out(n);
  bunkatu_list_t splits;
  const read_result r = read_bunkatu_asc_sub(s.split_path, splits);
  if (r != read_result::ok && r != read_result::missing) return out;
  if (r == read_result::missing) {
    for (std::size_t k = first; k <= n; ++k) out[k - 1] = number_cell(prices[k][4]);
    return out;
  }
  // Only the closes are adjusted: the rule works field by field, so the other fields are left
  // empty to spare the work.
  jikeiretu_data_t closes(n + 1);
  closes[0] = prices[0];
  for (std::size_t k = 1; k <= n; ++k) {
    closes[k][0] = prices[k][0];
    closes[k][4] = prices[k][4];
  }
  std::int16_t error_flag_s = 0;
  jikeiretu_hosei_sub(splits, closes, error_flag_s);
  for (std::size_t k = first; k <= n; ++k) out[k - 1] = number_cell(closes[k][4]);
  return out;
}

// The lines of a scanned file's body (see core/data_file_bytes.h), without their line ends.
class body_lines {
 public:
  explicit body_lines(std::string_view body) : body_(body) {}
  // As the scan cuts them: at LF, CR LF, or a lone CR.
  bool next(std::string_view& line) {
    if (pos_ >= body_.size()) return false;
    const char* base = body_.data();
    const void* nl = std::memchr(base + pos_, '\n', body_.size() - pos_);
    std::size_t end = nl == nullptr ? body_.size() : static_cast<const char*>(nl) - base;
    std::size_t next = end + 1;
    if (end > pos_ && body_[end - 1] == '\r') --end;
    if (const void* cr = std::memchr(base + pos_, '\r', end - pos_); cr != nullptr) {
      end = static_cast<const char*>(cr) - base;
      next = end + 1;
    }
    line = body_.substr(pos_, end - pos_);
    pos_ = next;
    return true;
  }

 private:
  std::string_view body_;
  std::size_t pos_ = 0;
};

constexpr std::uint64_t kHashStart = 14695981039346656037ULL;
constexpr std::uint64_t kHashPrime = 1099511628211ULL;

// A hash of a row line's bytes, eight at a time, ended by a separator.
std::uint64_t hash_line(std::uint64_t h, std::string_view line) {
  std::size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, line.data() + i, 8);
    h = (h ^ word) * kHashPrime;
    h ^= h >> 29;
  }
  for (; i < line.size(); ++i) h = (h ^ static_cast<unsigned char>(line[i])) * kHashPrime;
  return (h ^ 0x0A) * kHashPrime;
}

bool is_date8(std::string_view text) { return text.size() == 8 && digits_only(text); }

// A row line whose fields the reader would take as they stand: ASCII without blanks.
bool plain_line(std::string_view line) {
  for (const char c : line) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == ' ' || c == '\t') return false;
  }
  return true;
}

std::array<std::string_view, kPriceFileWidth> fields_of(std::string_view line) {
  std::array<std::string_view, kPriceFileWidth> f{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < kPriceFileWidth; ++i) {
    const std::size_t comma = i + 1 < kPriceFileWidth ? line.find(',', start) : line.size();
    f[i] = line.substr(start, comma - start);
    start = comma + 1;
  }
  return f;
}

// The split list of a price file as the adjusted close needs it: read, and whether a split is
// dated after `day` (a new row on that date would adjust every older row anew).
struct split_state {
  read_result read = read_result::missing;
  bool after = false;
};
split_state splits_of(const export_source& s, std::string_view day) {
  split_state state;
  bunkatu_list_t splits;
  state.read = read_bunkatu_asc_sub(s.split_path, splits);
  if (state.read != read_result::ok) return state;
  const std::size_t m = std::min(split_count(splits), splits.size() - 1);
  for (std::size_t k = 1; k <= m; ++k) {
    if (!is_date8(splits[k][0]) || std::string_view(splits[k][0]) > day) state.after = true;
  }
  return state;
}

// Whether the earlier export's record still holds: the rows but its last hash as they did then
// (and, for a raw series, no split lies ahead of them, which would adjust them anew).
bool earlier_rows_unchanged(const data_file_layout& layout, const append_hint& hint) {
  if (hint.prefix_rows < 1 || hint.prefix_rows >= layout.count || !is_date8(hint.last_date)) {
    return false;
  }
  body_lines lines(layout.body);
  std::string_view line;
  std::uint64_t h = kHashStart;
  for (std::size_t k = 1; k <= hint.prefix_rows; ++k) {
    if (!lines.next(line)) return false;
    h = hash_line(h, line);
  }
  return h == hint.prefix_hash;
}

// The rows of a scanned price file straight from its bytes: all of them, or with a hint that
// still holds only those from the earlier export's last day on. False when a line is not plain
// (the reader then reads the file).
bool read_price_bytes(const export_source& s, const data_file_layout& layout,
                      const append_hint* hint, bool adjusted_file, export_rows& rows) {
  const std::size_t n = layout.count;
  split_state splits;
  if (!adjusted_file) splits = splits_of(s, hint != nullptr ? hint->last_date : "99999999");
  const bool append = hint != nullptr && (adjusted_file || !splits.after) &&
                      earlier_rows_unchanged(layout, *hint);
  const std::size_t first = append ? hint->prefix_rows + 1 : 1;
  // The split adjustment needs the whole series; an appended tail is newer than every split.
  const bool adjust_all = !adjusted_file && !append && splits.read == read_result::ok;
  jikeiretu_data_t closes;
  if (adjust_all) {
    closes.resize(n + 1);
    closes[0][kPriceCode] = s.code;
    closes[0][kPriceCount] = std::to_string(n);
  }
  rows.cells.reserve((n - first + 1) * rows.width);
  body_lines lines(layout.body);
  std::string_view line;
  std::string_view previous;
  bool ascending = true;
  std::uint64_t h = kHashStart;
  for (std::size_t k = 1; k <= n; ++k) {
    if (!lines.next(line)) return false;
    if (k < first) {
      h = hash_line(h, line);
      previous = line.substr(0, line.find(','));
      continue;
    }
    if (!plain_line(line)) return false;
    const auto f = fields_of(line);
    if (!is_date8(f[0]) || (k > 1 && !(previous < f[0]))) ascending = false;
    previous = f[0];
    if (k < n) h = hash_line(h, line);
    add(rows, code_cell(s.code));
    add(rows, date_cell(f[0]));
    for (std::size_t c = 1; c <= 5; ++c) add(rows, number_cell(f[c]));
    if (adjusted_file) continue;
    if (adjust_all) {
      closes[k][0].assign(f[0]);
      closes[k][4].assign(f[4]);
      add(rows, export_cell{});
    } else if (splits.read == read_result::missing) {
      add(rows, number_cell(f[4]));  // no split list: the closes as stored
    } else if (splits.read == read_result::ok) {
      // Newer than every split: the factor is 1, and the close is floored as the rule does.
      add(rows, number_cell(adjusted_price_text(std::string(f[4]), 1.0f)));
    } else {
      add(rows, export_cell{});  // a damaged split list: unknown (counted with the splits)
    }
  }
  if (append && !ascending) return false;
  if (adjust_all) {
    bunkatu_list_t list;
    read_bunkatu_asc_sub(s.split_path, list);
    std::int16_t error_flag_s = 0;
    jikeiretu_hosei_sub(list, closes, error_flag_s);
    for (std::size_t k = 1; k <= n; ++k) {
      rows.cells[(k - 1) * rows.width + rows.width - 1] = number_cell(closes[k][4]);
    }
  }
  rows.appended = append;
  if (ascending && n >= 2) rows.next = {n - 1, h, std::string(previous)};
  return true;
}

source_read read_prices(const export_source& s, export_rows& rows, std::string& reason,
                        bool adjusted_file, const append_hint* hint) {
  // The bytes are scanned as the reader's rules have it (as fast as copying them) and plain
  // rows are taken from them directly; a file that only gained a newest day is read from its
  // last rows alone. Anything else goes through the price file reader.
  std::string bytes;
  data_file_layout layout;
  if (read_file_bytes(s.path, bytes) &&
      scan_data_file(bytes, kPriceFileWidth, kPriceCount, layout) == layout_scan::ok &&
      read_price_bytes(s, layout, hint, adjusted_file, rows)) {
    return source_read::ok;
  }
  rows.clear();
  jikeiretu_data_t t;
  const read_result r = read_jikeiretu_asc_sub(s.path, t);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(price_count(t), t.size() - 1);
  std::vector<export_cell> adjusted;
  if (!adjusted_file) adjusted = adjusted_closes(s, t, n, 1);
  rows.cells.reserve(n * rows.width);
  for (std::size_t k = 1; k <= n; ++k) {
    const jikeiretu_row& row = t[k];
    add(rows, code_cell(s.code));
    add(rows, date_cell(row[0]));
    for (std::size_t f = 1; f <= 5; ++f) add(rows, number_cell(row[f]));
    if (!adjusted_file) add(rows, std::move(adjusted[k - 1]));
  }
  return source_read::ok;
}

source_read read_splits(const export_source& s, export_rows& rows, std::string& reason) {
  bunkatu_list_t t;
  const read_result r = read_bunkatu_asc_sub(s.path, t);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(split_count(t), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    add(rows, code_cell(s.code));
    add(rows, date_cell(t[k][0]));
    add(rows, number_cell(t[k][1]));
    add(rows, number_cell(t[k][2]));
  }
  return source_read::ok;
}

source_read read_margin(const export_source& s, export_rows& rows, std::string& reason) {
  credit_tbl_t t;
  const read_result r = read_data_c_asc_sub(s.path, t);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(credit_count(t), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    add(rows, code_cell(s.code));
    add(rows, date_cell(t[k][0]));
    for (std::size_t f = 1; f <= 3; ++f) add(rows, number_cell(t[k][f]));
  }
  return source_read::ok;
}

// The 22 stored items of a period (the file's columns), as cells.
template <typename Field>
void add_statement_items(export_rows& rows, Field field) {
  add(rows, period_cell(field(0)));
  add(rows, date_cell(field(1)));
  for (std::size_t c = 2; c < kZaimuFileWidth; ++c) add(rows, number_cell(field(c)));
}

source_read read_statements(const export_source& s, export_rows& rows, std::string& reason) {
  zaimu_tbl_t t;
  const read_result r = read_data_z_desc_sub(s.path, t);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(zaimu_count(t), t.size() - 1);
  // Records are newest first; the file and the export oldest first.
  for (std::size_t k = n; k >= 1; --k) {
    const zaimu_record& record = t[k];
    add(rows, code_cell(s.code));
    add(rows, text_cell(s.key[1]));
    add_statement_items(rows, [&](std::size_t c) -> const std::string& {
      return record[c < kZaimuMemoryOnly ? c : c + 1];
    });
    add(rows, text_cell(t[0][kZaimuName]));
  }
  return source_read::ok;
}

source_read read_summary(const export_source& s, export_rows& rows, std::string& reason) {
  table_t<kSummaryWidth> t;
  const read_result r = read_data_z_d_file(s.path, t);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(table_count(t, 0), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    const auto& line = t[k];
    add(rows, text_cell(s.key[0]));
    add(rows, date_cell(s.key[1]));
    add(rows, text_cell(line[0]));
    add(rows, text_cell(line[1]));
    add_statement_items(rows, [&](std::size_t c) -> const std::string& { return line[2 + c]; });
  }
  return source_read::ok;
}

source_read read_latest(const export_source& s, export_rows& rows, std::string& reason) {
  data_d_table_t t;
  const bool intraday = s.key[0].size() > 8;
  const read_result r = read_data_d_file(s.path, t, intraday);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(data_d_count(t), t.size() - 1);
  const export_cell day = date_cell(t[0][kDCode]);
  for (std::size_t k = 1; k <= n; ++k) {
    const data_d_record& row = t[k];
    add(rows, text_cell(s.key[0]));
    add(rows, text_cell(row[kDCode]));
    add(rows, day);
    add(rows, text_cell(row[kDMarket]));
    add(rows, text_cell(row[kDName]));
    for (std::size_t f = kDOpen; f <= kDVolume; ++f) add(rows, number_cell(row[f]));
    add(rows, intraday ? date_cell(row[kDTradeDate]) : export_cell{});
  }
  return source_read::ok;
}

source_read read_stock_list(const export_source& s, export_rows& rows, std::string& reason) {
  // The list's own rules (four fields a line, the count first) through the data-file reader,
  // which only reads: the stock list's reader would restore a damaged list in place.
  table_t<4> t;
  const read_result r = read_table_file(s.path, t, 4, 0, false);
  if (r == read_result::missing) return source_read::missing;
  if (r != read_result::ok) {
    reason = reason_of(r);
    return source_read::unreadable;
  }
  const std::size_t n = std::min(table_count(t, 0), t.size() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    add(rows, text_cell(t[k][0]));
    add(rows, text_cell(t[k][1]));
    add(rows, text_cell(t[k][2]));
    add(rows, text_cell(t[k][3]));
  }
  return source_read::ok;
}

}  // namespace

file_stamp stamp_of(const std::string& path) {
  struct stat st {};
  file_stamp stamp;
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

std::vector<export_source> list_export_sources(const run_context& ctx,
                                               std::vector<run_failure>* unlisted) {
  std::vector<export_source> out;
  lister l{ctx, out, unlisted};
  const settei_record& s = ctx.settei;
  const auto per_stock = [](export_source& src, const std::string& stem) {
    src.code = stem;
    src.key = {stem};
  };
  const std::string list_path = ctx.program_folder + "meigara_list.csv";
  if (file_exists(list_path)) {
    export_source src;
    src.table = export_table::stocks;
    src.path = list_path;
    src.relative = "meigara_list.csv";
    src.name = "meigara_list.csv";
    out.push_back(std::move(src));
  }
  l.add_folder(export_table::prices, s.kabuka_path + s.data_m_name + "/", stock_stem,
               [&](export_source& src, const std::string& stem) {
                 per_stock(src, stem);
                 src.split_path = split_file_path(s, stem);
               });
  l.add_folder(export_table::splits, split_folder_path(s), stock_stem, per_stock);
  l.add_folder(export_table::adjusted_prices, s.syusei_path + s.data_m_name + "/", stock_stem,
               per_stock);
  l.add_folder(export_table::margin, s.kabuka_path + s.data_c_name + "/", stock_stem, per_stock);
  for (const char* kind : kStatementKinds) {
    l.add_folder(export_table::statements, statement_folder(s, kind), stock_stem,
                 [&](export_source& src, const std::string& stem) {
                   src.code = stem;
                   src.key = {stem, kind};
                 });
  }
  for (const char* kind : kStatementKinds) {
    l.add_folder(export_table::statement_summaries,
                 s.kabuka_path + statement_folder_name(s, kind) + "_d/",
                 [](const std::string& stem) { return stem.size() == 8 && digits_only(stem); },
                 [&](export_source& src, const std::string& stem) { src.key = {kind, stem}; });
  }
  l.add_folder(export_table::latest_prices, s.kabuka_path + s.data_d_name + "/", is_day_stem,
               [](export_source& src, const std::string& stem) { src.key = {stem}; });
  return out;
}

source_read read_export_source(const export_source& source, export_rows& rows,
                               std::string& reason, const append_hint* hint) {
  const export_table_spec& spec = table_spec(source.table);
  rows.table = source.table;
  rows.width = spec.columns.size();
  rows.clear();
  source_read r = source_read::missing;
  switch (source.table) {
    case export_table::stocks: r = read_stock_list(source, rows, reason); break;
    case export_table::prices: r = read_prices(source, rows, reason, false, hint); break;
    case export_table::splits: r = read_splits(source, rows, reason); break;
    case export_table::adjusted_prices:
      r = read_prices(source, rows, reason, true, hint);
      break;
    case export_table::margin: r = read_margin(source, rows, reason); break;
    case export_table::statements: r = read_statements(source, rows, reason); break;
    case export_table::statement_summaries: r = read_summary(source, rows, reason); break;
    case export_table::latest_prices: r = read_latest(source, rows, reason); break;
  }
  if (r == source_read::ok && !keys_are_unique(rows, spec, reason)) r = source_read::unreadable;
  if (r != source_read::ok) rows.clear();
  return r;
}

}  // namespace karigane
