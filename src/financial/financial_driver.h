// The financial step of a collection run, dl_data_z_sub: the target stocks that are companies
// (stock-list name holding "(株)"), for each the "単独決算", "連結決算" and "中間決算" pages merged
// into the stock's file of that kind, then the dated summary of every kind.
#pragma once

#include <cstdint>
#include <string>

#include "codes/stock_list.h"
#include "codes/targets.h"
#include "core/run_context.h"

namespace karigane {

// The company filter: each target code is looked up by numeric value in the stock list,
// scanning forward from just after the previous target's entry; it is kept when the entry's
// name holds "(株)". A code the scan does not find is dropped and the next scan starts where
// this one started. Returns a code list (element 0 the count).
code_list_t company_code_list(run_context& ctx, const code_list_t& code_list,
                              const meigara_list_t& meigara_list);

// The pair is that of the last page fetched (or the last stored kind's file failure), or -1
// and "処理を中断しました。" when the stop flag ended the run; a stopped run writes no summary.
void dl_data_z_sub(run_context& ctx, const code_list_t& code_list, std::int16_t& error_flag_s,
                   std::string& error_msg_s);

}  // namespace karigane
