// What a page renderer is: one kind of quote-site page (the history page, the mobile history
// page, ...) answering the requests of its path from the data set. The server owns transport
// behaviour (faults, encoding, the request log); a renderer only turns a query into a page,
// and shows the content faults it is asked to show.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace karigane::quote_site {

// Decoded query parameters (first value of each key).
using param_map = std::map<std::string, std::string, std::less<>>;

// A request as renderers see it: the path and the decoded query parameters.
struct page_query {
  std::string path;
  param_map params;
  // Program codes a list page leaves out (the "unlisted" fault).
  std::vector<std::string> left_out;

  // The parameter's value; "" when absent.
  std::string get(std::string_view key) const;
  bool has(std::string_view key) const { return params.find(key) != params.end(); }
};

// Faults that change what a page shows (transport faults are the server's).
enum class content_fault {
  none,
  wrong_stock,   // the page of another stock (or index) than asked for
  wrong_period,  // the right stock, but a period one year earlier than asked for
  no_data,       // the page's "no data for this period" form
  no_stock,      // the page's "no such stock" form
};

struct page_answer {
  int status = 200;
  std::string title;
  std::string body;  // the inner HTML of <body>
};

class page_kind {
 public:
  virtual ~page_kind() = default;

  // The program codes the request is about; per-code fault rules match on these.
  virtual std::vector<std::string> codes(const page_query& query) const = 0;

  virtual page_answer render(const page_query& query, content_fault fault) const = 0;
};

}  // namespace karigane::quote_site
