// dl_yh_data_z_db_sub: one company-profile statement page of a stock and kind, fetched again
// while the extractor's retry budget lasts (at most three fetches), extracted into zaimu_tbl.
#pragma once

#include <cstdint>
#include <string>

#include "core/run_context.h"
#include "financial/zaimu_table.h"

namespace karigane {

// The answer for a code that has no company profile; no page is asked for.
inline constexpr const char* kNoCompanyInformation = "該当銘柄の情報は有りません。";

// Codes below 1301 (the index codes among them) never reach the site: -1 and
// "該当銘柄の情報は有りません。". A retrieval failure returns -1 with the retrieval's message;
// a stop raised meanwhile returns -1 and "処理を中断しました。", so that the page is not
// stored. Otherwise the pair is the extractor's.
void dl_yh_data_z_db_sub(run_context& ctx, const std::string& code, const std::string& kind,
                         zaimu_tbl_t& zaimu_tbl, std::int16_t& error_flag_s,
                         std::string& error_msg_s);

}  // namespace karigane
