// The stock code check: see stock_code.h.
#include "core/stock_code.h"

#include <algorithm>

namespace karigane {
namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// The letters a code may hold: uppercase, but none that reads like a digit or another letter.
bool code_letter(char c) {
  return c >= 'A' && c <= 'Z' && c != 'B' && c != 'E' && c != 'I' && c != 'O' && c != 'Q' &&
         c != 'V' && c != 'Z';
}

}  // namespace

bool is_numeric_code(std::string_view text) {
  return text.size() == 4 && std::all_of(text.begin(), text.end(), digit);
}

bool is_stock_code(std::string_view text) {
  if (text.size() != 4 || !digit(text[0]) || !digit(text[2])) return false;
  return (digit(text[1]) || code_letter(text[1])) && (digit(text[3]) || code_letter(text[3]));
}

}  // namespace karigane
