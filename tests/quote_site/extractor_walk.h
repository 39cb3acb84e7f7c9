// Walks a history page the way the time-series extractors do, step by step and by plain text
// search (1-based positions, case-sensitive), and reports what each step found. The quote site
// tests use it to prove that every marker sits where the extractors look for it.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace karigane::testing {

struct walked_page {
  std::string failed;        // the first step that found nothing (empty: all steps passed)
  bool no_data = false;      // the page's "no data for the period" text
  std::string code;          // program code the page names
  std::string period;        // "yyyy/mm/dd-yyyy/mm/dd" from the six selects
  std::string name;          // cleaned like the extractors clean it
  std::string market;
  std::vector<std::array<std::string, 7>> rows;   // date yyyymmdd, open ... adjusted close
  std::vector<std::array<std::string, 3>> splits;  // date, before, after
};

// The history page form (/history/).
walked_page walk_history_page(const std::string& page, const std::string& requested_code);

// The mobile form (/stock/historicaldata).
walked_page walk_mobile_page(const std::string& page, const std::string& requested_code);

}  // namespace karigane::testing
