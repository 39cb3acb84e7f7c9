// Stored price files and split lists for the adjustment tests, written as the time-series
// collection writes them (CP932, CR LF, header first, oldest row first).
#pragma once

#include <string>
#include <vector>

#include "timeseries/price_table.h"

namespace karigane::testing {

// A price table of `code` whose rows are "date,open,high,low,close,volume" texts.
jikeiretu_data_t price_table(const std::string& code, const std::vector<std::string>& rows,
                             const std::string& market = "東証1部",
                             const std::string& name = "極洋");

// A split table of `code` whose rows are "date,before,after" texts.
bunkatu_list_t split_table(const std::string& code, const std::vector<std::string>& rows,
                           const std::string& name = "極洋");

// The file text of a table (UTF-8; the test writes it as CP932).
std::string price_file_text(const jikeiretu_data_t& table);
std::string split_file_text(const bunkatu_list_t& table);

// Rows "date,p,p,p,p,volume": the same price for open, high, low and close.
std::string day(const std::string& date, const std::string& price,
                const std::string& volume = "1000");

}  // namespace karigane::testing
