// The latest-day retrieval: the search pages of the targets in groups of 25 codes (list views
// 1 and 2), the latest trade date, the compaction to the stocks the site listed, and the
// index volume from the index chart page.
#pragma once

#include <cstdint>
#include <string>

#include "codes/targets.h"
#include "core/run_context.h"
#include "latest/data_d_table.h"

namespace karigane {

// A page that is not the expected list is asked for again, at most this many times in all.
inline constexpr int kSearchPageAttempts = 10;

void dl_yh_data_d_d2_sub(run_context& ctx, const code_list_t& code_list, data_d_table_t& table,
                         std::int16_t& error_flag_s, std::string& error_msg_s);

}  // namespace karigane
