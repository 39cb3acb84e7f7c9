// The financial driver: see financial_driver.h.
#include "financial/financial_driver.h"

#include "core/damaged_file.h"
#include "core/file_store.h"
#include "core/page_failure.h"
#include "financial/statement_fetch.h"
#include "financial/statement_files.h"
#include "financial/statement_kinds.h"
#include "financial/statement_summary.h"

namespace karigane {
namespace {

constexpr const char* kInterrupted = "処理を中断しました。";

}  // namespace

code_list_t company_code_list(run_context& ctx, const code_list_t& code_list,
                              const meigara_list_t& meigara_list) {
  code_list_t companies(1);
  const std::size_t entries = meigara_count(meigara_list);
  std::size_t scan_from = 1;
  const std::size_t n = code_count(code_list);
  for (std::size_t i = 1; i <= n; ++i) {
    const double code = val(code_list[i]);
    for (std::size_t j = scan_from; j <= entries; ++j) {
      ctx.pump();
      const meigara_entry& entry = meigara_list[j];
      if (val(entry.d1_meigarasuu_meigaracode) != code) continue;
      if (contains(entry.meigara_name, "(株)")) companies.push_back(code_list[i]);
      scan_from = j + 1;
      break;
    }
  }
  companies[0] = num_text(static_cast<std::int64_t>(companies.size() - 1));
  return companies;
}

void dl_data_z_sub(run_context& ctx, const code_list_t& code_list, std::int16_t& error_flag_s,
                   std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  ctx.set_label1("", label_colour::blue);
  ctx.set_label1("企業銘柄確認中", label_colour::blue);
  const settei_record& settei = ctx.settei;

  meigara_list_t meigara_list;
  {
    std::int16_t flag = kFalse;
    std::string message;
    read_meigara_list_sub(ctx, meigara_list, flag, message);
  }
  const code_list_t companies = company_code_list(ctx, code_list, meigara_list);

  std::vector<std::string> folders{settei.kabuka_path};
  for (const char* kind : kStatementKinds) folders.push_back(statement_folder(settei, kind));
  for (const std::string& folder : folders) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }

  // A stop, or a fault that ends the run (a file that cannot be written).
  auto stopped = [&] {
    if (!ctx.run_interrupted()) return false;
    error_flag_s = kTrue;
    error_msg_s = ctx.has_run_error() ? ctx.run_error() : kInterrupted;
    return true;
  };
  if (stopped()) return;

  zaimu_tbl_t zaimu_tbl;
  const std::size_t n = code_count(companies);
  ctx.progress.start_pass(kKindFinancial, kUnitStocks, n);
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string& code = companies[i];
    if (stopped()) return;
    ctx.progress.at_item(i, code);
    ctx.set_label1("財務情報処理中 " + code, label_colour::blue);
    for (const char* kind : kStatementKinds) {
      dl_yh_data_z_db_sub(ctx, code, kind, zaimu_tbl, error_flag_s, error_msg_s);
      if (error_flag_s == kTrue) {
        if (error_msg_s != kNoCompanyInformation) {
          note_page_result(ctx, code, kKindFinancial, kind, error_flag_s, error_msg_s);
        }
        continue;
      }
      read_result stored;
      if (write_data_z_sub(settei, kind, zaimu_tbl, &stored) != 0) {
        // The kind failed for this stock; the stored file is as it was.
        const std::string path = statement_file_path(settei, kind, code);
        error_flag_s = kTrue;
        if (stored.unusable()) {
          error_msg_s = damaged_file_message(path);
          report_damaged_file(ctx, code, kKindFinancial, path, stored);
        } else {
          ctx.set_write_error(path);
        }
      }
      if (stopped()) return;
    }
  }

  for (const char* kind : kStatementKinds) {
    ctx.pump();
    if (write_data_z_d_sub(ctx, kind, zaimu_tbl) != 0) error_flag_s = kTrue;
    if (stopped()) return;
  }
}

}  // namespace karigane
