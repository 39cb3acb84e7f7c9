// Non-template parts of the data-file helpers: see table_file.h.
#include "core/table_file.h"

namespace karigane::detail {

bool count_text_is_number(const std::string& text) {
  const std::string t = trim(text);
  if (t.empty()) return false;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace karigane::detail
