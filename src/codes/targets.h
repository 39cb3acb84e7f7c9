// Target code selection: the run's code_list from one code, a code range or the code table
// download_code.csv, and the validity check against the stock list.
// code_list: element 0 the number of codes as text, elements 1..n the codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_context.h"

namespace karigane {

using code_list_t = std::vector<std::string>;

// The number of codes of a code list (element 0), bounded by the elements present.
std::size_t code_count(const code_list_t& code_list);

// Fills code_list from the selection mode and the code boxes of ctx.controls. Failures:
// "銘柄コードＮＯをご確認ください。", "ファイル　download_code.csv　がありません。",
// "銘柄数が0です。".
void code_set1_sub(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                   std::string& error_msg_s);

// Keeps only the codes the stock list holds (a merge walk over both ascending lists).
// Without a stock list the codes stay as they are.
void effective_code_sub(run_context& ctx, code_list_t& code_list);

// The colour rule of the code boxes: true (red) when the numeric value is below 1000 or
// above 9999.
bool code_box_is_invalid(const std::string& text);

}  // namespace karigane
