// The stock list meigara_list.csv in the program folder (code, market letter, market name,
// company name per stock; entry 0 a header whose first field is the count) and its factory
// copy meigara_list_org.csv, which restores a damaged list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/table_file.h"

namespace karigane {

struct meigara_entry {
  std::string d1_meigarasuu_meigaracode;  // entry 0: count; entries 1..n: code
  std::string market_code;                // entry 0: latest trade date of the last renewal
  std::string market_name;
  std::string meigara_name;
};

using meigara_list_t = std::vector<meigara_entry>;

// A count above this marks the file as damaged; it is also the list's capacity.
inline constexpr int kMeigaraListCapacity = 9000;

std::string meigara_list_path(const run_context& ctx);

// The factory copy: the program folder's meigara_list_org.csv, else the installed one.
std::string meigara_list_org_path(const run_context& ctx);

// Reads entries 0..n (n from entry 0). A missing file fails with "銘柄リストがありません。";
// a file that is there but cannot be read fails with the damaged-file message, which is also
// shown in red and counted in the run's failure tally (once per run). A count above 9000
// restores the file from the factory copy once and reads that; a restore that cannot be
// written ends the run. `read` tells how the file read.
void read_meigara_list_sub(run_context& ctx, meigara_list_t& meigara_list,
                           std::int16_t& error_flag_s, std::string& error_msg_s,
                           read_result* read = nullptr);

// Rewrites the file from entries 0..n; fails with "銘柄リストをファイルに書き込めません。" and
// ends the run (the run-ending fault names the file).
void write_meigara_list_sub(run_context& ctx, const meigara_list_t& meigara_list,
                            std::int16_t& error_flag_s, std::string& error_msg_s);

// True for a code as the files and addresses may use it: decimal digits only (after the
// blanks around it are trimmed). Anything else in a list never reaches a path or an address.
bool plain_code(const std::string& text);

// The number of stocks the list holds (entry 0's count, bounded by the entries present).
std::size_t meigara_count(const meigara_list_t& meigara_list);

// The entry of a code (numeric comparison), or nullptr.
const meigara_entry* find_meigara(const meigara_list_t& meigara_list, const std::string& code);

}  // namespace karigane
