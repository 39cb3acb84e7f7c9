// The program's text files: the field reader (fields separated by "," or line ends, enclosing
// double quotes removed, blanks around unquoted fields removed) and the CP932 CR LF writer.
// Reading and replacing the files themselves is file_store.h's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace karigane {

namespace detail {

// The characters that end an unquoted field (",", CR, LF): one table look-up per character.
struct delimiter_table {
  bool ends[256] = {};
  constexpr delimiter_table() {
    ends[static_cast<unsigned char>(',')] = true;
    ends[static_cast<unsigned char>('\r')] = true;
    ends[static_cast<unsigned char>('\n')] = true;
  }
  bool operator()(char c) const { return ends[static_cast<unsigned char>(c)]; }
};
inline constexpr delimiter_table is_delimiter;

}  // namespace detail

class field_reader {
 public:
  // `text` is UTF-8 and must outlive the reader.
  explicit field_reader(std::string_view text) : text_(text) {}

  // Reads the next field of the stream, whatever line it stands on; false at the end.
  bool next(std::string& field);

  // Reads every field of the next line; false when no line is left.
  bool next_line(std::vector<std::string>& fields);

  // Reads the next line into out[0..max-1], reading and dropping any further fields; returns
  // the line's number of fields, 0 when no line is left. Saves the data files' readers a copy
  // of every field.
  std::size_t next_line_into(std::string* out, std::size_t max);

  bool at_end() const { return pos_ >= text_.size(); }

 private:
  // Reads one field; sets `line_end` when the field was the last of its line.
  void read_field(std::string& field, bool& line_end);

  std::string_view text_;
  std::size_t pos_ = 0;
};

// A field as it may stand in a file that is never quoted: "," becomes "，" and line breaks
// become blanks, so that a name cannot shift the fields of its line.
std::string file_field(std::string_view text);

// Builds the text of a data file: fields joined by ",", lines ended by CR LF.
class csv_text {
 public:
  template <typename Range>
  void add_row(const Range& fields, std::size_t count) {
    // The whole line is sized once and copied in; a field holding a delimiter (rare) sends
    // the line through the field-by-field way that replaces it.
    const std::size_t start = text_.size();
    std::size_t length = (count ? count - 1 : 0) + 2;
    for (std::size_t i = 0; i < count; ++i) length += std::string_view(fields[i]).size();
    text_.resize(start + length);
    char* p = text_.data() + start;
    for (std::size_t i = 0; i < count && p != nullptr; ++i) {
      if (i) *p++ = ',';
      p = copy_plain(p, fields[i]);
    }
    if (p != nullptr) {
      p[0] = '\r';
      p[1] = '\n';
      return;
    }
    text_.resize(start);
    for (std::size_t i = 0; i < count; ++i) {
      if (i) text_ += ',';
      append_field(fields[i]);
    }
    text_ += "\r\n";
  }
  void add_row(std::initializer_list<std::string_view> fields);
  void reserve(std::size_t bytes) { text_.reserve(bytes); }

  // The file's bytes in CP932.
  std::string cp932() const;
  const std::string& utf8() const { return text_; }

 private:
  void append_field(std::string_view field);

  // Copies a field that holds no delimiter and returns the end; nullptr when it holds one.
  static char* copy_plain(char* p, std::string_view field) {
    for (const char c : field) {
      if (detail::is_delimiter(c)) return nullptr;
      *p++ = c;
    }
    return p;
  }

  std::string text_;
};

}  // namespace karigane
