// A data file read as bytes, without decoding or building rows: where its header's fields,
// its rows and its last row lie. Lets a run that changes only the header and the last row
// rewrite a large file at the speed of copying it. The file's rules are those of
// table_file.h (a header of `width` fields whose `count_field` is a count, exactly that many
// rows of `width` fields, nothing after them but empty lines); a file with a double quote is
// left to the full reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace karigane {

struct data_file_layout {
  std::vector<std::string_view> header;  // the header's fields, as bytes
  std::size_t count = 0;                 // the number of rows
  std::string_view body;                 // every row line, with its line end
  std::string_view last_row;             // the last row line without its line end
};

enum class layout_scan { ok, damaged, quoted };

// Scans CP932 bytes; CP932 never has "," or a line end inside a double-byte character.
layout_scan scan_data_file(std::string_view bytes, std::size_t width, std::size_t count_field,
                           data_file_layout& layout);

// Where a data file's body begins: past the header line's end (npos when there is none).
std::size_t data_file_body_start(std::string_view bytes);

// scan_data_file for a file whose body is known to begin with `known_rows` rows that an
// earlier scan accepted, in its first `known_bytes` bytes, the last of them ended by LF (the
// caller has made sure those bytes are the same as then): only the header and the bytes after
// the known rows are read. The result is what scan_data_file gives.
layout_scan scan_data_file_after(std::string_view bytes, std::size_t width,
                                 std::size_t count_field, std::size_t known_rows,
                                 std::size_t known_bytes, data_file_layout& layout);

// The first field of a row line.
std::string_view first_field(std::string_view line);

// The row lines of a file that scanned well formed (`layout` from scan_data_file), without
// their line ends, in file order.
void row_lines(const data_file_layout& layout, std::vector<std::string_view>& rows);

// True when the reader would take the bytes as they are: no blank (which it trims from the ends
// of fields) and nothing outside ASCII (which goes through the code page and back).
bool reads_as_written(std::string_view bytes);

}  // namespace karigane
