// The latest-day collection: the retrieval, the stock list renewal, the narrowing of the run's
// targets to the stocks the site listed, and (with "最新日株価" ticked) the latest-day file,
// final or intraday by the clock.
#pragma once

#include <cstdint>
#include <string>

#include "codes/targets.h"
#include "core/run_context.h"
#include "latest/data_d_table.h"

namespace karigane {

// The entry of the collection run: a fresh table, then higoto_kabuka_download_sub.
void dl_data_d_sub(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                   std::string& error_msg_s);

// The driver; the update run calls it directly and keeps the filled table. A stock without
// every price field from both list views stays among the targets but is left out of the table
// (so of the latest-day file and the update) and counted in the failure tally.
void higoto_kabuka_download_sub(run_context& ctx, code_list_t& code_list, data_d_table_t& table,
                                std::int16_t& error_flag_s, std::string& error_msg_s);

// The latest-day file's name for a table: "YYYYMMDD.csv" when the data are final,
// "YYYYMMDD_HMM.csv" (hour without leading zero) while they are intraday.
std::string latest_day_file_name(const std::string& latest_trade_date, const local_time& now,
                                 bool* intraday = nullptr);

}  // namespace karigane
