// The stock list meigara_list.csv in the program folder (a header line whose first field is
// the count, then code, market letter, market name and company name per stock) and its factory
// copy meigara_list_org.csv, which restores a damaged list.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "kinds/program_layout.h"

namespace karigane {

struct stock_entry {
  std::string code;
  std::string market_letter;
  std::string market_name;
  std::string name;
};

struct stock_list {
  // The header line besides its count: the latest trade date of the last renewal, and two
  // label fields kept as they are.
  std::string renewed_on;
  std::string header_market;
  std::string header_name;
  // Whether the header line holds a count at all (a list without one is built afresh by the
  // renewal).
  bool has_count = true;
  std::vector<stock_entry> entries;
};

// A count above this marks the file as damaged; it is also the list's capacity.
inline constexpr std::size_t kStockListCapacity = 9000;

inline constexpr const char* kNoStockListText = "銘柄リストがありません。";
inline constexpr const char* kStockListUnwritableText = "銘柄リストをファイルに書き込めません。";

// Reads the entries the header counts. A missing file is `missing` with "銘柄リストがありま
// せん。"; a file that is there but cannot be read is `io_error` with the damaged-file message,
// also shown in red and counted in the run's failure tally (once per run). A count above 9000
// restores the file from the factory copy once and reads that; a restore that cannot be written
// ends the run (`failed` with the run-ending fault).
status read_stock_list(run_context& ctx, const program_layout& layout, stock_list& list);

// Rewrites the file; a file that cannot be written ends the run ("銘柄リストをファイルに書き込め
// ません。" comes back, the run-ending fault names the file).
status write_stock_list(run_context& ctx, const program_layout& layout, const stock_list& list);

// The first entry of a code (compared as codes are: by their text, blanks around them
// ignored), or nullptr.
const stock_entry* find_stock(const stock_list& list, const std::string& code);

}  // namespace karigane
