// Hand-written search-result pages (list views 1 and 2) in the form page retrieval hands over.
#pragma once

#include <string>
#include <vector>

namespace karigane::testing {

struct search_row {
  std::string code;  // as shown on the page (site code for indexes)
  std::string market = "東証1部";
  std::string name = "(株)極洋";
  std::string time = "15:00";  // or "11/26"
  std::string price = "1,795";
  std::string volume = "1,234,500";
  std::string open = "1,780";
  std::string high = "1,800";
  std::string low = "1,770";
  bool limit_high = false;
  bool limit_low = false;
};

std::string list_view1_page(const std::vector<search_row>& rows, const std::string& query);
std::string list_view2_page(const std::vector<search_row>& rows, const std::string& query);

}  // namespace karigane::testing
