// Reading the data set's CSV files: a first line (a header, or the factory list's count) and
// then one row a line, UTF-8 or CP932. Empty lines are passed over.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace karigane::quote_site {

using csv_row_reader = std::function<bool(const std::vector<std::string>& fields)>;

// Hands each row of `text` after its first line to `row`; false at the first row `row`
// refuses, with "PATH: line N is not FORM" in `error`.
bool read_csv_rows(const std::string& text, const std::string& path, std::string_view form,
                   std::string& error, const csv_row_reader& row);

// The same for a file (UTF-8, or CP932 when it is not UTF-8); false with "PATH: cannot be
// read" when it cannot be read.
bool read_csv_file(const std::string& path, std::string_view form, std::string& error,
                   const csv_row_reader& row);

}  // namespace karigane::quote_site
