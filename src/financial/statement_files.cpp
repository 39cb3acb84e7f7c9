// Statement files of one stock and kind: see statement_files.h.
#include "financial/statement_files.h"

#include "core/file_store.h"
#include "financial/statement_kinds.h"

namespace karigane {
namespace {

using file_table = table_t<kZaimuFileWidth>;

constexpr std::array<const char*, 18> kItemLabels{
    "営業利益", "経常利益", "当期利益", "EPS（一株当たり利益", "調整一株当たり利益",
    "1株配当", "BPS（一株当たり純資産）", "発行済み株式総数", "総資産", "自己資本", "資本金",
    "有利子負債", "繰越損益", "自己資本比率", "含み損益", "ROA（総資産利益率）",
    "ROE（自己資本利益率）", "総資産経常利益率",
};

// A period record's file columns: fields 1-10 and 12-23.
void to_file_row(const zaimu_record& record, std::array<std::string, kZaimuFileWidth>& row) {
  for (std::size_t c = 0; c < kZaimuFileWidth; ++c) {
    row[c] = record[c < kZaimuMemoryOnly ? c : c + 1];
  }
}

void from_file_row(std::array<std::string, kZaimuFileWidth>& row, zaimu_record& record) {
  for (std::size_t c = 0; c < kZaimuFileWidth; ++c) {
    record[c < kZaimuMemoryOnly ? c : c + 1] = std::move(row[c]);
  }
  record[kZaimuMemoryOnly].clear();
}

}  // namespace

status read_statement_file(const std::string& path, zaimu_tbl_t& zaimu_tbl) {
  file_table read;
  const status r = read_table_file(path, read, kZaimuFileWidth, kZaimuCount, true);
  if (r == status::missing || r == status::io_error) return r;
  zaimu_tbl.assign(read.size(), {});
  for (std::size_t c = 0; c < kZaimuFileWidth; ++c) zaimu_tbl[0][c] = std::move(read[0][c]);
  for (std::size_t k = 1; k < read.size(); ++k) from_file_row(read[k], zaimu_tbl[k]);
  return r;
}

status write_statement_file(const std::string& path, const zaimu_tbl_t& zaimu_tbl) {
  if (zaimu_tbl.empty()) return status(status::failed, EINVAL);
  file_table out(1);
  for (std::size_t c = 0; c <= kZaimuCount; ++c) out[0][c] = zaimu_tbl[0][c];
  for (std::size_t c = 0; c < kItemLabels.size(); ++c) out[0][kZaimuCount + 1 + c] = kItemLabels[c];
  const std::size_t n = std::min(zaimu_count(zaimu_tbl), zaimu_tbl.size() - 1);
  out[0][kZaimuCount] = num_text(static_cast<std::int64_t>(n));
  out.resize(n + 1);
  for (std::size_t k = 1; k <= n; ++k) to_file_row(zaimu_tbl[k], out[k]);
  const file_status written = write_table_file(path, out, kZaimuFileWidth, kZaimuCount, true);
  return written ? status() : status(status::failed, written.error());
}

status merge_statements(const program_layout& layout, const std::string& kind,
                        zaimu_tbl_t& zaimu_tbl) {
  if (zaimu_tbl.empty()) return status(status::failed, EINVAL);
  keep_first_row_per_date(zaimu_tbl, kZaimuPeriod, kZaimuCount);
  const std::string folder_name = statement_folder_name(layout, kind);
  const std::string path = layout.statement_file(folder_name, zaimu_tbl[0][kZaimuCode]);
  zaimu_tbl_t e_table;
  const status r = read_statement_file(path, e_table);
  if (r == status::missing) {
    if (const file_status made = ensure_folder(layout.statement_folder(folder_name)); !made) {
      return status(status::failed, made.error());
    }
    return write_statement_file(path, zaimu_tbl);
  }
  if (r.unusable()) return r;
  merge_descending(e_table, zaimu_count(e_table), zaimu_tbl,
                   std::min(zaimu_count(zaimu_tbl), zaimu_tbl.size() - 1), kZaimuPeriod,
                   kZaimuCount);
  zaimu_tbl = std::move(e_table);
  return write_statement_file(path, zaimu_tbl);
}

}  // namespace karigane
