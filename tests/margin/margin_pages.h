// Hand-written margin pages in the form page retrieval hands over (upper-case tags, simple
// attribute values unquoted), small enough to check by eye: the margin history page ("新")
// and the old table page ("旧").
#pragma once

#include <array>
#include <string>
#include <vector>

namespace karigane::testing {

struct margin_page {
  std::string code = "1301.T";  // as written after "code=" and in the code input
  std::string name = "(株)極洋";
  std::string market = "東証1部";
  std::string from[3] = {"2013", "1", "1"};
  std::string to[3] = {"2013", "9", "7"};
  std::vector<std::vector<std::string>> rows;  // the cells of each row, usually six
  std::string extra;                           // text put in the page's body
};

// Two weeks: 2013年1月11日 and 2013年1月4日, with thousands separators.
margin_page two_weeks();

std::string new_margin_page(const margin_page& p);
std::string old_margin_page(const margin_page& p);

}  // namespace karigane::testing
