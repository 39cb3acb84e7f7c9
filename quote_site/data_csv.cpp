// The data set's CSV files: see data_csv.h.
#include "data_csv.h"

#include "core/cp932.h"
#include "core/fields.h"
#include "core/file_store.h"

namespace karigane::quote_site {

bool read_csv_rows(const std::string& text, const std::string& path, std::string_view form,
                   std::string& error, const csv_row_reader& row) {
  field_reader reader(text);
  std::vector<std::string> fields;
  reader.next_line(fields);  // the header or the count line
  int line = 1;
  while (reader.next_line(fields)) {
    ++line;
    if (fields.empty() || (fields.size() == 1 && fields[0].empty())) continue;
    if (!row(fields)) {
      error = path + ": line " + std::to_string(line) + " is not " + std::string(form);
      return false;
    }
  }
  return true;
}

bool read_csv_file(const std::string& path, std::string_view form, std::string& error,
                   const csv_row_reader& row) {
  std::string bytes;
  if (!read_file_bytes(path, bytes)) {
    error = path + ": cannot be read";
    return false;
  }
  return read_csv_rows(decode_user_text(bytes), path, form, error, row);
}

}  // namespace karigane::quote_site
