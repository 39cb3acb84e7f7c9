// Hand-written company-profile statement pages in the form page retrieval returns them
// (upper-case tags, simple attribute values unquoted), with every part the extraction looks
// for open to change.
#pragma once

#include <string>
#include <vector>

namespace karigane::testing {

struct statement_page {
  std::string link_code = "1301";  // the code of the link after "関連情報"
  std::string name = "(株)極洋";
  std::string after_name;          // for example "【1301】"
  std::vector<std::string> alts = {"単独決算", "連結決算", "中間決算"};
  bool heading = true;             // the "id=hrFinanceSearch" block with "関連情報"
  std::string message;             // a text shown instead of (or before) the table
  bool tbody = true;               // "</TBODY" after the rows
  // Each row: the label cell, then the period cells.
  std::vector<std::vector<std::string>> rows;
};

std::string legacy_statement_page(const statement_page& page);

// A table of the kind's rows in which every cell tells its row and column: amounts
// "R,C00百万円" (stored as "RC00"), per-share figures "R.C円", the share count "R,C00千株",
// percents "R.C%", the fiscal period 201C年R月期 ... so that a test can tell which row landed
// in which field. The kind's first three rows are the fiscal period, the announcement date
// and the months.
std::vector<std::vector<std::string>> coded_rows(const std::string& kind);

// What coded_rows' cell at row r (1-based) and period column c (1-based) is stored as.
std::string coded_value(const std::string& kind, std::size_t r, std::size_t c);

}  // namespace karigane::testing
