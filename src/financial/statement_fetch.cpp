// Fetching one statement page: see statement_fetch.h.
#include "financial/statement_fetch.h"

#include "fetch/checked_page_fetch.h"
#include "fetch/quote_addresses.h"
#include "financial/statement_kinds.h"
#include "financial/statement_page_extractor.h"

namespace karigane {

void dl_yh_data_z_db_sub(run_context& ctx, const std::string& code, const std::string& kind,
                         zaimu_tbl_t& zaimu_tbl, std::int16_t& error_flag_s,
                         std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  if (val(code) < 1301) {
    error_flag_s = kTrue;
    error_msg_s = kNoCompanyInformation;
    return;
  }
  // Only the header survives from the previous page: a cell this page lacks stays empty
  // instead of showing another stock's figure.
  zaimu_tbl = empty_zaimu_table(code);
  const statement_shape* shape = statement_shape_of(kind);
  const std::string url =
      shape == nullptr ? std::string() : profile_page_url(ctx.settei, std::string(shape->page_path), code);

  if (!fetch_while_budget_lasts(
          ctx, url, 3,
          [&](const std::string& page, std::int16_t& error_loop_no_s) {
            extract_zaimuinf_from_yahoohtml_sub(ctx, kind, page, error_loop_no_s, zaimu_tbl,
                                                error_flag_s, error_msg_s);
          },
          error_flag_s, error_msg_s)) {
    return;
  }

  if (ctx.stop_flag()) {
    error_flag_s = kTrue;
    error_msg_s = "処理を中断しました。";
  }
  ctx.pump();
}

}  // namespace karigane
