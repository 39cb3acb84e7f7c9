// The latest-day retrieval: the search pages of the targets in groups of 25 codes (list views
// 1 and 2), the latest trade date, the compaction to the stocks the site listed, and the
// index volume from the index chart page.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "latest/data_d_table.h"
#include "sources/quote_site/index_data.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

// A page that is not the expected list is asked for again, at most this many times in all.
inline constexpr int kSearchPageAttempts = 10;

// failed with "インターネットからデータを取得できませんでした。" when a list page could not be
// had; ok (also after a stop between groups, which the run then ends as a stop) otherwise. The
// index chart page, read through `index_chart` when an index with a volume is among the
// stocks, is counted in the failure tally when it cannot be had.
status fetch_search_pages(run_context& ctx, const quote_site_settings& site,
                          const std::vector<std::string>& codes, data_d_table_t& table,
                          index_chart_of_run& index_chart);

}  // namespace karigane
