// Hand-written history pages in the form page retrieval hands over (upper-case tags, simple
// attribute values unquoted), small enough to check by eye.
#pragma once

#include <string>
#include <vector>

namespace karigane::testing {

struct page_row {
  std::string date;  // "2013年1月4日" (or "2013/1/4" on mobile pages)
  std::string open, high, low, close, volume, adjusted;
};

struct history_page {
  std::string code = "1301.T";  // as written after "code="
  std::string name = "(株)極洋";
  std::string market = "東証1部";
  std::string from[3] = {"2013", "1", "1"};
  std::string to[3] = {"2013", "2", "19"};
  std::vector<page_row> rows;
  std::vector<std::string> split_rows;  // e.g. {"2013年9月26日", "分割: 1株 -&gt; 100株"} pairs
  std::string extra;                    // text put in the page's body
  std::string lead;                     // text put first in the page's content
};

// The "新" page.
std::string new_form_page(const history_page& p);
// The mobile page.
std::string mobile_form_page(const history_page& p);

}  // namespace karigane::testing
