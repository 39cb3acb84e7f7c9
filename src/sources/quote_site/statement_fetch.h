// One company-profile statement page of a stock and kind, fetched again while the page's checks
// refuse it and the retry budget lasts (at most three fetches), read into zaimu_tbl.
#pragma once

#include <string>

#include "core/run_context.h"
#include "core/status.h"
#include "financial/zaimu_table.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

// The answer for a code that has no company profile; no page is asked for.
inline constexpr const char* kNoCompanyInformation = "該当銘柄の情報は有りません。";

// Codes below 1301 (the index codes among them) never reach the site: failed with
// "該当銘柄の情報は有りません。". A retrieval failure returns its status; a stop raised
// meanwhile returns stopped ("処理を中断しました。"), so that the page is not stored. Otherwise
// the outcome of the page's reading: only ok is to be stored.
status fetch_statement_page(run_context& ctx, const quote_site_settings& site,
                            const std::string& code, const std::string& kind,
                            zaimu_tbl_t& zaimu_tbl);

}  // namespace karigane
