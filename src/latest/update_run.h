// The update run of "更新": the codes of every stored time series, their latest-day prices
// (without a latest-day file unless "最新日株価" is ticked), and the latest day written into
// every time-series file and its yearly file of that year.
#pragma once

#include "app/collection_run.h"
#include "core/run_context.h"
#include "latest/data_d_table.h"

namespace karigane {

run_ending renew_start_cmd_Click(run_context& ctx);

// Writes the latest trade day of the table into the time-series files of its stocks (the main
// folder, then the yearly folder of that year): the row of that day is replaced when it is
// there, otherwise added in date order.
void add_data_d_to_data_m_sub(run_context& ctx, const data_d_table_t& table);

}  // namespace karigane
