// The values of the exported tables: a cell is NULL, an integer, a real number or a text, and
// the stored files' texts become cells here. Dates become ISO texts (YYYY-MM-DD), fiscal
// periods YYYY-MM, numbers become numbers, and "---" (or an empty field) becomes NULL. A text
// that is none of these is exported as it is written, so that nothing stored is lost.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace karigane {

struct export_cell {
  enum class kind : std::uint8_t { null, integer, real, text };
  kind k = kind::null;
  std::int64_t i = 0;
  double r = 0;
  std::string t;
};

// A number field: NULL for "---" or "", an integer, a real number, else the text.
export_cell number_cell(std::string_view text);
// A date field yyyymmdd as "YYYY-MM-DD" ("20141127_1035", a trade time, as "2014-11-27 10:35");
// NULL for "---" or "", any other text as it is.
export_cell date_cell(std::string_view text);
// A fiscal period YYYYMM00 as "YYYY-MM"; NULL for "---" or "", any other text as it is.
export_cell period_cell(std::string_view text);
// A text field; NULL when empty.
export_cell text_cell(std::string_view text);

// The cell written as a CSV field: NULL empty, numbers as their shortest exact text, texts
// quoted when they hold a comma, a quote or a line break.
void append_csv_field(std::string& out, const export_cell& cell);

}  // namespace karigane
