// The dated summary of a statement kind: see statement_summary.h.
#include "financial/statement_summary.h"

#include <array>
#include <optional>

#include "core/damaged_file.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "financial/statement_files.h"
#include "financial/statement_kinds.h"
#include "kinds/data_kinds.h"

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

status read_statement_summary(const std::string& path, table_t<kSummaryWidth>& table) {
  return read_table_file(path, table, kSummaryWidth, 0, false);
}

status write_statement_summary(run_context& ctx, const program_layout& layout,
                               const std::string& kind) {
  const date today = ctx.now().day;
  const char* label = kind_of(kind_id::financial).name;
  const std::string folder_name = statement_folder_name(layout, kind);
  const std::string folder = layout.statement_folder(folder_name);
  file_status listed;
  const std::vector<std::string> files = list_files(folder, &listed);
  if (!listed && !listed.missing()) {
    // A summary of the stocks that happen to be listable would pass for the whole kind.
    report_unlisted_folder(ctx, label, folder, listed);
    return status::ok;
  }
  std::vector<std::array<std::string, kSummaryWidth>> lines;
  lines.reserve(files.size());
  zaimu_tbl_t zaimu_tbl;
  for (const std::string& name : files) {
    const std::optional<std::string> code = stock_code_of_file(name);
    if (!code) continue;
    ctx.pump();
    const std::string path = folder + name;
    if (const status r = read_statement_file(path, zaimu_tbl); r != status::ok) {
      if (r == status::missing) continue;  // removed since the listing
      report_unusable_file(ctx, *code, label, path, r,
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

  const std::string summary_folder = layout.summary_folder(folder_name);
  if (!ensure_folder(summary_folder)) {
    ctx.set_write_error(summary_folder);
    return status::failure(ctx.run_error());
  }
  const std::string path = layout.summary_file(folder_name, today);
  if (!write_file_atomic(path, out.cp932())) {
    ctx.set_write_error(path);
    return status::failure(ctx.run_error());
  }
  return status::ok;
}

}  // namespace karigane
