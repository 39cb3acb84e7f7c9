// The stock code check: see stock_code.h.
#include "core/stock_code.h"

#include <algorithm>
#include <string>

#include "core/text.h"

namespace karigane {
namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// The letters a code may hold: uppercase, but none that reads like a digit or another letter.
bool code_letter(char c) {
  return c >= 'A' && c <= 'Z' && c != 'B' && c != 'E' && c != 'I' && c != 'O' && c != 'Q' &&
         c != 'V' && c != 'Z';
}

// Where a field stands among numbers: its leading number, or, for a code with letters, just after
// the numeric codes it follows as text ("130A" after 1309, "2A46" after 2999).
double number_position(const std::string& field) {
  if (!is_stock_code(field) || is_numeric_code(field)) return val(field);
  const std::size_t letter = digit(field[1]) ? 3 : 1;
  double block = 1;
  for (std::size_t i = letter; i < 4; ++i) block *= 10;
  return val(field.substr(0, letter)) * block + block - 0.5;
}

}  // namespace

bool is_numeric_code(std::string_view text) {
  return text.size() == 4 && std::all_of(text.begin(), text.end(), digit);
}

bool is_stock_code(std::string_view text) {
  if (text.size() != 4 || !digit(text[0]) || !digit(text[2])) return false;
  return (digit(text[1]) || code_letter(text[1])) && (digit(text[3]) || code_letter(text[3]));
}

int compare_codes(std::string_view a, std::string_view b) {
  const std::string x = trim(a);
  const std::string y = trim(b);
  if (is_stock_code(x) && is_stock_code(y)) return x.compare(y) < 0 ? -1 : x == y ? 0 : 1;
  const double u = number_position(x);
  const double v = number_position(y);
  return u < v ? -1 : u > v ? 1 : 0;
}

}  // namespace karigane
