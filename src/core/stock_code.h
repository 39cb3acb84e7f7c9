// Stock codes: the one check every code passes before it reaches a path or an address, whether
// it comes from a command line, a window's box or a stored file. A code is four characters:
// digits ("1301"; the program's index codes "1001" to "1004" among them), or, for listings since
// 2024, digits with an uppercase letter in the second and/or fourth place ("130A", "2A46",
// "9A7A"; never B, E, I, O, Q, V or Z). Codes compare as text, so "130A" lies between "1309"
// and "1310".
#pragma once

#include <string_view>

namespace karigane {

bool is_stock_code(std::string_view text);

// True for a code of digits alone.
bool is_numeric_code(std::string_view text);

// The order of two code fields, blanks around them ignored: codes as text ("130A" after "1309"),
// anything else, as the stored files were always read, by its leading number ("130A" is no
// longer read as 130). Negative, zero or positive.
int compare_codes(std::string_view a, std::string_view b);

}  // namespace karigane
