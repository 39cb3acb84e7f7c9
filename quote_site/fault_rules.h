// The quote site's fault modes for reliability tests, and the board of rules that decides
// which request misbehaves how. A rule has a mode, optionally the codes and the path it is
// limited to, and optionally a count of requests after which it expires; the first rule that
// matches a request applies. Rules come from the command line (--fault) and at run time from
// /_control/fault; /_control/reset returns to the command line's rules.
//
// Written as a bare mode ("forbidden") or as a query
// ("mode=wrong-stock&codes=1301,1332&count=2&path=/history/&skip=1"). On the J-Quants API's
// paths the content modes have no part: its answers are the same without them.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "page_kind.h"

namespace karigane::quote_site {

enum class fault_mode {
  none,          // (for /_control/fault: removes every rule)
  hang,          // never answers; the connection stays open until the client gives up
  forbidden,     // 403 with a page saying "Forbidden"
  drop,          // closes the connection without an answer
  wrong_stock,   // the page of another stock
  wrong_period,  // the page of another period (one year earlier)
  no_data,       // the "no data for this period" page
  no_stock,      // the "no such stock" page
  unlisted,      // a search page leaves the rule's codes out of its list (others: no_stock)
  nested,        // a 1 MB page of 64,000 nested formatting elements (a parser's worst case)
  status_429,    // 429 Too Many Requests (a page, or the API's JSON message)
  status_500,    // 500 Internal Server Error
  status_503,    // 503 Service Unavailable
};

struct fault_rule {
  fault_mode mode = fault_mode::none;
  std::vector<std::string> codes;  // program codes; empty: every request
  std::string path;                // empty: every page path
  long count = 0;                  // requests left; 0: no limit
  long skip = 0;                   // matching requests to let pass before the rule applies
};

std::string_view fault_mode_name(fault_mode mode);

// The page's part of a mode; content_fault::none for the transport modes.
content_fault content_part(fault_mode mode);

// The HTTP status a status mode answers with; 0 for the other modes.
int fault_status(fault_mode mode);

bool fault_rule_from_params(const param_map& params, fault_rule& rule, std::string& error);

// A bare mode name or a query of mode, codes, count, path.
bool parse_fault_rule(std::string_view text, fault_rule& rule, std::string& error);

class fault_board {
 public:
  explicit fault_board(std::vector<fault_rule> initial = {});

  // Adds a rule after the existing ones; mode none removes every rule.
  void add(fault_rule rule);

  // Back to the rules the board was made with (counts restored).
  void reset();

  // The mode for a request of `path` about `codes`; counts down the rule that applies.
  // `rule_codes`, when given, receives the codes of that rule.
  fault_mode take(std::string_view path, const std::vector<std::string>& codes,
                  std::vector<std::string>* rule_codes = nullptr);

 private:
  std::mutex mutex_;
  std::vector<fault_rule> initial_;
  std::vector<fault_rule> rules_;
};

}  // namespace karigane::quote_site
