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
// The tally's reason for a stored field that should be a code and is not, the field after it.
inline constexpr const char* kNotAStockCodeText = "銘柄コードではありません: ";
// The tally's reason for a code asked for by itself that the stock list does not hold.
inline constexpr const char* kNotInStockListText = "銘柄リストにありません";

struct target_selection {
  // failed: "銘柄コードＮＯをご確認ください。", "ファイル　download_code.csv　がありません。" (or
  // "を読めません: " and the reason), "銘柄数が0です。"
  status outcome;
  std::vector<std::string> codes;  // in the order the run takes them
  // The selection as the code boxes show it afterwards: each box's text normalised (the value
  // of its digits; a code with letters as it is), a range's ends in code order.
  code_selection shown;
};

// A range takes every numeric code between its ends (but 1000 and 1005 to 1300) and, of the codes
// with letters, its ends and those the stock list holds between them. Table fields that are not
// codes are counted in the tally (kNotAStockCodeText) and left out.
target_selection select_targets(run_context& ctx, const program_layout& layout,
                                const code_selection& selection);

// The targets the stock list holds, in their order: each target is looked for in the list from
// just after the previous target's entry, so targets given out of order are dropped. Without a
// stock list the targets stay as they are. Entries whose code is not a stock code never become
// targets and are counted in the tally. With `count_unlisted` (a code asked for by itself) a
// target the list lacks is counted too ("CODE: 銘柄リストにありません"), with a note on how to
// renew a list older than a year.
std::vector<std::string> listed_targets(run_context& ctx, const program_layout& layout,
                                        const std::vector<std::string>& codes,
                                        bool count_unlisted = false);

// A code the run takes as it stands: a stock code from 1000 on ("1301", "130A"). The command
// line refuses any other before a run starts.
bool is_target_code(const std::string& text);

// The colour rule of the code boxes: true (red) when the text is not a code the run takes.
bool code_box_is_invalid(const std::string& text);

}  // namespace karigane
