// The dated summary of a statement kind: see statement_summary.h.
#include "financial/statement_summary.h"

#include <array>

#include "core/damaged_file.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/stock_file_name.h"
#include "financial/statement_files.h"
#include "financial/statement_kinds.h"

namespace karigane {
namespace {

constexpr std::array<const char*, 21> kSummaryLabels{
    "決算発表日", "決算月数", "売上高", "営業利益", "経常利益", "当期利益",
    "EPS（一株当たり利益）", "調整一株当たり利益", "1株配当", "BPS（一株当たり純資産）",
    "発行済み株式総数", "総資産", "自己資本", "資本金", "有利子負債", "繰越損益",
    "自己資本比率", "含み損益", "ROA（総資産利益率）", "ROE（自己資本利益率）",
    "総資産経常利益率",
};

}  // namespace

std::string statement_summary_path(const settei_record& settei, const std::string& kind,
                                   const date& day) {
  return settei.kabuka_path + statement_folder_name(settei, kind) + "_d/" + yyyymmdd(day) +
         ".csv";
}

read_result read_data_z_d_file(const std::string& path, table_t<kSummaryWidth>& table) {
  return read_table_file(path, table, kSummaryWidth, 0, false);
}

std::int16_t write_data_z_d_sub(run_context& ctx, const std::string& kind,
                                zaimu_tbl_t& zaimu_tbl) {
  const settei_record& settei = ctx.settei;
  const date today = ctx.now().day;

  const std::string folder = statement_folder(settei, kind);
  file_status listed;
  const std::vector<std::string> files = list_files(folder, &listed);
  if (!listed && !listed.missing()) {
    // A summary of the stocks that happen to be listable would pass for the whole kind.
    report_unlisted_folder(ctx, kKindFinancial, folder, listed);
    return 0;
  }
  std::vector<std::array<std::string, kSummaryWidth>> lines;
  lines.reserve(files.size());
  for (const std::string& name : files) {
    if (!stock_file_code(name)) continue;
    ctx.pump();
    const std::string path = folder + name;
    if (const read_result r = read_data_z_desc_sub(path, zaimu_tbl); r != read_result::ok) {
      if (r == read_result::missing) continue;  // removed since the listing
      report_unusable_file(ctx, name.substr(0, 4), kKindFinancial, path, r,
                           path + " を最後まで読めないため、集計に含めませんでした。");
      continue;
    }
    auto& line = lines.emplace_back();
    line[0] = zaimu_tbl[0][kZaimuCode];
    line[1] = zaimu_tbl[0][kZaimuName];
    if (zaimu_count(zaimu_tbl) > 0) {
      const zaimu_record& newest = zaimu_tbl[1];
      for (std::size_t c = 0; c < kSummaryWidth - 2; ++c) {
        line[2 + c] = newest[c < kZaimuMemoryOnly ? c : c + 1];
      }
    }
  }

  csv_text out;
  std::array<std::string, kSummaryWidth> header;
  header[0] = num_text(static_cast<std::int64_t>(lines.size()));
  header[1] = yyyymmdd(today);
  header[2] = kind;
  for (std::size_t c = 0; c < kSummaryLabels.size(); ++c) header[3 + c] = kSummaryLabels[c];
  out.add_row(header, kSummaryWidth);
  for (const auto& line : lines) out.add_row(line, kSummaryWidth);

  const std::string summary_folder =
      settei.kabuka_path + statement_folder_name(settei, kind) + "_d/";
  if (!ensure_folder(summary_folder)) {
    ctx.set_write_error(summary_folder);
    return -1;
  }
  const std::string path = statement_summary_path(settei, kind, today);
  if (!write_file_atomic(path, out.cp932())) {
    ctx.set_write_error(path);
    return -1;
  }
  return 0;
}

}  // namespace karigane
