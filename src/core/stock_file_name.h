// The names of per-stock data files: the code's four decimal digits and ".csv" ("1301.csv").
// Runs that take codes from a folder's file names accept these names and no others, so that
// a file such as "1e3x.csv" or "1301 copy.csv" never becomes a code in a page address nor
// gets rewritten under another stock's name.
#pragma once

#include <optional>
#include <string_view>

namespace karigane {

// The code's value when `name` is four ASCII digits followed by ".csv", otherwise nothing.
std::optional<int> stock_file_code(std::string_view name);

}  // namespace karigane
