// Target selection: the run's codes from one code, a code range or the code table
// download_code.csv, and the check of the targets against the stock list.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "kinds/collection_request.h"
#include "kinds/program_layout.h"

namespace karigane {

inline constexpr const char* kCheckCodeText = "銘柄コードＮＯをご確認ください。";

struct target_selection {
  // failed: "銘柄コードＮＯをご確認ください。", "ファイル　download_code.csv　がありません。" (or
  // "を読めません: " and the reason), "銘柄数が0です。"
  status outcome;
  std::vector<std::string> codes;  // in the order the run takes them
  // The selection as the code boxes show it afterwards: each box's text normalised (the value
  // of its digits), a range's ends in ascending order.
  code_selection shown;
};

target_selection select_targets(run_context& ctx, const program_layout& layout,
                                const code_selection& selection);

// The targets the stock list holds, in their order: each target is looked for in the list from
// just after the previous target's entry, so targets given out of order are dropped. Without a
// stock list the targets stay as they are. Entries whose code is not a stock code never become
// targets.
std::vector<std::string> listed_targets(run_context& ctx, const program_layout& layout,
                                        const std::vector<std::string>& codes);

// The colour rule of the code boxes: true (red) when the text is not a code the run takes.
bool code_box_is_invalid(const std::string& text);

}  // namespace karigane
