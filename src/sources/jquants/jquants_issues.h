// J-Quants' issues as the program names them: the common stock of a five-character code ending
// in "0" is the program's four-character code (after the one code check); any other issue
// (preferred shares, a code the check refuses) is not a stock here. Market segments get the
// names a reader knows ("東証プライム"); names and markets of the stocks the stock list holds
// are read from it, so that no request is made for them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codes/stock_list.h"
#include "core/dates.h"
#include "core/run_context.h"
#include "kinds/program_layout.h"
#include "sources/jquants/jquants_client.h"

namespace karigane {

// "72030" -> "7203", "130A0" -> "130A"; nothing for "72035", "7203", "../x0".
std::optional<std::string> program_code_of(std::string_view api_code);

// True for the program's index codes (below 1300); of them J-Quants has TOPIX (1002) alone.
bool is_program_index_code(std::string_view code);
inline constexpr const char* kTopixCode = "1002";

// "7203" -> "72030".
std::string api_code_of(std::string_view code);

// The market name the stock list and the files write for a segment ("0111" -> "東証プライム");
// a segment code the program does not know gets "東証" and the service's own name.
std::string market_name_of(std::string_view segment_code, std::string_view segment_name);

// A company or market name as the stored files can hold it: characters outside CP932 become
// "?", a comma (which would split the files' fields) becomes "，", control characters go.
std::string stored_name(std::string_view name);

// The stocks of the stock list, by code, read once.
class issue_register {
 public:
  explicit issue_register(program_layout layout) : layout_(std::move(layout)) {}
  // The stock list's entry of a code; nullptr when the list does not hold it.
  const stock_entry* find(run_context& ctx, const std::string& code);
  // The list is read again at the next find(): the latest day may have renewed it.
  void forget() { read_ = false; }

 private:
  program_layout layout_;
  bool read_ = false;
  std::vector<stock_entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;
};

// The common stocks listed on `day` (equities/master), in the order served, each with its
// market name and company name.
api_outcome listed_issues(run_context& ctx, jquants_client& client, const date& day,
                          std::vector<stock_entry>& issues);

}  // namespace karigane
