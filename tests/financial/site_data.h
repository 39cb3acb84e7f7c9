// What the local quote site shows for a company, computed in-process from the same data set,
// written as the statement files and summaries should hold it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "financial_statements.h"

namespace karigane::testing {

// The factory data set of seed 1 with the given "today" (YYYY-MM-DDTHH:MM).
const quote_site::market_data& site_data(const std::string& now);

// The period records an extraction of the kind's page gives, newest first (a column without
// a period included); empty when the page says "ページが見つかりません".
using record = std::array<std::string, 23>;
std::vector<record> expected_records(const quote_site::market_data& data, const std::string& code,
                                     quote_site::statement_kind kind);

// The data lines of the stock file that one fetch of the kind's page creates (oldest first,
// CR LF each), and their number.
std::string expected_stock_lines(const quote_site::market_data& data, const std::string& code,
                                 quote_site::statement_kind kind, int& count);

// The summary line of the stock after that fetch (without the line end).
std::string expected_summary_line(const quote_site::market_data& data, const std::string& code,
                                  quote_site::statement_kind kind);

}  // namespace karigane::testing
