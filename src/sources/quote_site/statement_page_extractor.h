// One company-profile statement page into the period records of zaimu_tbl. Plain text search on the
// page as page retrieval hands it over (upper-case tags, unquoted simple attribute values).
//
// With `verify` (while the retry budget lasts) the page is verified first: without any of the
// markers "alt=単独決算", "alt=連結決算", "alt=中間決算" ("決算情報取得不可") or without the code
// link after "id=hrFinanceSearch" and "関連情報" ("コード取得不可") it is refused and fetched at
// most three times; a link to another code ("コード不一致") is refused. Every outcome but ok, the
// page messages b01 to b52 included, means that nothing of the page is stored.
//
// On success: header code and name from the page, header count "3" (or "2" for "中間決算"),
// records 1..count filled by the kind's row mapping, newest period first.
#pragma once

#include <string>

#include "core/run_context.h"
#include "financial/zaimu_table.h"
#include "sources/quote_site/checked_page_fetch.h"

namespace karigane {

// `zaimu_tbl`'s header field 1 holds the requested code.
page_reading read_statement_page(run_context& ctx, const std::string& kind,
                                 const std::string& page_text, bool verify, zaimu_tbl_t& zaimu_tbl);

}  // namespace karigane
