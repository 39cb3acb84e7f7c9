// The quote site's codes: see site_codes.h.
#include "site_codes.h"

#include <algorithm>
#include <array>

namespace karigane::quote_site {
namespace {

struct index_code {
  std::string_view program;
  std::string_view site;
};

constexpr std::array<index_code, 4> kIndexCodes{{
    {"1001", "998407"},
    {"1002", "998405"},
    {"1003", "5040469"},
    {"1004", "5040468"},
}};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_code_letter(char c) {
  return c >= 'A' && c <= 'Z' && std::string_view("BEIOQVZ").find(c) == std::string_view::npos;
}

std::string padded(std::string_view code) {
  std::string out(code.size() < 4 ? 4 - code.size() : 0, '0');
  out += code;
  return out;
}

}  // namespace

bool is_index_code(std::string_view program_code) {
  return std::any_of(kIndexCodes.begin(), kIndexCodes.end(),
                     [&](const index_code& c) { return c.program == program_code; });
}

std::string site_code_of(std::string_view program_code) {
  for (const auto& c : kIndexCodes) {
    if (c.program == program_code) return std::string(c.site);
  }
  return std::string(program_code);
}

std::string program_code_of_site(std::string_view site_code) {
  for (const auto& c : kIndexCodes) {
    if (c.site == site_code) return std::string(c.program);
  }
  return std::string(site_code);
}

bool is_stock_code(std::string_view code) {
  if (code.empty() || code.size() > 4 || code.front() == '0') return false;
  if (std::all_of(code.begin(), code.end(), is_digit)) return true;
  return code.size() == 4 && is_digit(code[0]) && is_digit(code[2]) &&
         (is_digit(code[1]) || is_code_letter(code[1])) &&
         (is_digit(code[3]) || is_code_letter(code[3]));
}

bool code_less(std::string_view a, std::string_view b) { return padded(a) < padded(b); }

}  // namespace karigane::quote_site
