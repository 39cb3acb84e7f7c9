// Stock splits and reverse splits per code (code,date,before,after with a header line): the
// events the history pages list and the data set's unadjusted prices jump by.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/dates.h"

namespace karigane::quote_site {

struct split_event {
  date day;
  std::string before;  // shares before, as written: "1"
  std::string after;   // shares after: "100", "0.1", "1.3"
  double ratio = 1.0;  // after / before
};

class split_table {
 public:
  // Adds an event; the code's events stay in date order (a repeated date replaces the old one).
  void add(const std::string& code, split_event event);

  // The code's events, ascending by date.
  std::span<const split_event> of(std::string_view code) const;

 private:
  std::unordered_map<std::string, std::vector<split_event>> by_code_;
};

// Makes an event from its texts; false when a count is not a positive number.
bool make_split_event(const date& day, std::string_view before, std::string_view after,
                      split_event& event);

bool load_split_csv(const std::string& path, split_table& table, std::string& error);

}  // namespace karigane::quote_site
