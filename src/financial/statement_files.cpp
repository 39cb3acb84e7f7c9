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

std::string statement_file_path(const settei_record& settei, const std::string& kind,
                                const std::string& code) {
  return statement_folder(settei, kind) + code + ".csv";
}

read_result read_data_z_desc_sub(const std::string& path, zaimu_tbl_t& zaimu_tbl) {
  file_table read;
  const read_result r = read_table_file(path, read, kZaimuFileWidth, kZaimuCount, true);
  if (r == read_result::missing || r == read_result::unreadable) return r;
  zaimu_tbl.assign(read.size(), {});
  for (std::size_t c = 0; c < kZaimuFileWidth; ++c) zaimu_tbl[0][c] = std::move(read[0][c]);
  for (std::size_t k = 1; k < read.size(); ++k) from_file_row(read[k], zaimu_tbl[k]);
  return r;
}

std::int16_t write_data_z_desc_sub(const std::string& path, const zaimu_tbl_t& zaimu_tbl) {
  if (zaimu_tbl.empty()) return -1;
  file_table out(1);
  for (std::size_t c = 0; c <= kZaimuCount; ++c) out[0][c] = zaimu_tbl[0][c];
  for (std::size_t c = 0; c < kItemLabels.size(); ++c) out[0][kZaimuCount + 1 + c] = kItemLabels[c];
  const std::size_t n = std::min(zaimu_count(zaimu_tbl), zaimu_tbl.size() - 1);
  out[0][kZaimuCount] = num_text(static_cast<std::int64_t>(n));
  out.resize(n + 1);
  for (std::size_t k = 1; k <= n; ++k) to_file_row(zaimu_tbl[k], out[k]);
  return write_table_file(path, out, kZaimuFileWidth, kZaimuCount, true) ? 0 : -1;
}

std::int16_t write_data_z_sub(const settei_record& settei, const std::string& kind,
                              zaimu_tbl_t& zaimu_tbl, read_result* stored) {
  if (zaimu_tbl.empty()) return -1;
  keep_first_row_per_date(zaimu_tbl, kZaimuPeriod, kZaimuCount);
  const std::string path = statement_file_path(settei, kind, zaimu_tbl[0][kZaimuCode]);
  zaimu_tbl_t e_table;
  const read_result r = read_data_z_desc_sub(path, e_table);
  if (stored) *stored = r;
  if (r == read_result::missing) {
    if (!ensure_folder(statement_folder(settei, kind))) return -1;
    return write_data_z_desc_sub(path, zaimu_tbl);
  }
  if (r.unusable()) return -1;
  merge_descending(e_table, zaimu_count(e_table), zaimu_tbl,
                   std::min(zaimu_count(zaimu_tbl), zaimu_tbl.size() - 1), kZaimuPeriod,
                   kZaimuCount);
  zaimu_tbl = std::move(e_table);
  return write_data_z_desc_sub(path, zaimu_tbl);
}

}  // namespace karigane
