// Per-stock file names: see stock_file_name.h.
#include "core/stock_file_name.h"

namespace karigane {

std::optional<int> stock_file_code(std::string_view name) {
  if (name.size() != 8 || name.substr(4) != ".csv") return std::nullopt;
  int code = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    code = code * 10 + (name[i] - '0');
  }
  return code;
}

}  // namespace karigane
