// extract_zaimuinf_from_yahoohtml_sub: one company-profile statement page into the period
// records of zaimu_tbl. Plain text search on the page as page retrieval hands it over
// (upper-case tags, unquoted simple attribute values).
//
// While the retry budget is above 0 the page is verified first: without any of the markers
// "alt=単独決算", "alt=連結決算", "alt=中間決算" ("決算情報取得不可") or without the code link
// after "id=hrFinanceSearch" and "関連情報" ("コード取得不可") the budget is capped at 3 and
// lowered by one; a link to another code ("コード不一致") lowers it by one. An accepted page
// sets the budget to 0. Every failure, the page messages b01 to b52 included, returns -1, so
// that nothing of the page is stored.
//
// On success: header code and name from the page, header count "3" (or "2" for "中間決算"),
// records 1..count filled by the kind's row mapping, newest period first.
#pragma once

#include <cstdint>
#include <string>

#include "core/run_context.h"
#include "financial/zaimu_table.h"

namespace karigane {

// `zaimu_tbl`'s header field 1 holds the requested code.
void extract_zaimuinf_from_yahoohtml_sub(run_context& ctx, const std::string& kind,
                                         const std::string& page_text,
                                         std::int16_t& error_loop_no_s, zaimu_tbl_t& zaimu_tbl,
                                         std::int16_t& error_flag_s, std::string& error_msg_s);

}  // namespace karigane
