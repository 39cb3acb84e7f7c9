// Field reader and CSV writer: see fields.h.
#include "core/fields.h"

#include <algorithm>

#include "core/cp932.h"

namespace karigane {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void field_reader::read_field(std::string& field, bool& line_end) {
  field.clear();
  line_end = false;
  const std::size_t n = text_.size();
  while (pos_ < n && is_space(text_[pos_])) ++pos_;
  auto finish_at_delimiter = [&] {
    if (pos_ >= n) {
      line_end = true;
      return;
    }
    if (text_[pos_] == ',') {
      ++pos_;
      return;
    }
    // A line end: CR LF, LF or CR.
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < n && text_[pos_] == '\n') ++pos_;
    line_end = true;
  };
  if (pos_ < n && text_[pos_] == '"') {
    const std::size_t close = text_.find('"', pos_ + 1);
    const std::size_t end = close == std::string_view::npos ? n : close;
    field.assign(text_.substr(pos_ + 1, end - pos_ - 1));
    pos_ = close == std::string_view::npos ? n : close + 1;
    // Whatever follows the closing quote up to the delimiter is dropped.
    while (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
    finish_at_delimiter();
    return;
  }
  const char* p = text_.data();
  std::size_t end = pos_;
  while (end < n && !detail::is_delimiter(p[end])) ++end;
  std::size_t last = end;
  while (last > pos_ && is_space(p[last - 1])) --last;
  // clear + append keeps the string's buffer and is much lighter than a general assign.
  field.clear();
  field.append(p + pos_, last - pos_);
  pos_ = end;
  finish_at_delimiter();
}

bool field_reader::next(std::string& field) {
  if (at_end()) return false;
  bool line_end = false;
  read_field(field, line_end);
  return true;
}

bool field_reader::next_line(std::vector<std::string>& fields) {
  fields.clear();
  if (at_end()) return false;
  bool line_end = false;
  std::size_t used = 0;
  while (!line_end) {
    if (fields.size() <= used) fields.emplace_back();
    read_field(fields[used], line_end);
    ++used;
  }
  fields.resize(used);
  return true;
}

std::size_t field_reader::next_line_into(std::string* out, std::size_t max) {
  if (at_end()) return 0;
  const char* p = text_.data();
  const std::size_t n = text_.size();
  bool line_end = false;
  std::size_t used = 0;
  std::string extra;
  while (!line_end) {
    std::string& field = used < max ? out[used] : extra;
    ++used;
    // The data files' fields are plain: no quote and no blank around them. Such a field
    // ending in "," or a line end is read here at once; anything else takes the general way.
    std::size_t end = pos_;
    while (end < n && !detail::is_delimiter(p[end])) ++end;
    if (end < n && end > pos_ && p[pos_] != '"' && !is_space(p[pos_]) && !is_space(p[end - 1])) {
      field.clear();
      field.append(p + pos_, end - pos_);
      pos_ = end + 1;
      if (p[end] != ',') {
        // CR LF, LF or a lone CR.
        if (p[end] == '\r' && pos_ < n && p[pos_] == '\n') ++pos_;
        line_end = true;
      }
      continue;
    }
    read_field(field, line_end);
  }
  return used;
}

std::string file_field(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ',') {
      out += "，";
    } else if (c == '\r' || c == '\n') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

void csv_text::append_field(std::string_view field) {
  // A plain loop: find_first_of searches the three delimiters once per character.
  for (char c : field) {
    if (c == ',' || c == '\r' || c == '\n') {
      text_ += file_field(field);
      return;
    }
  }
  text_.append(field.data(), field.size());
}

void csv_text::add_row(std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view f : fields) {
    if (!first) text_ += ',';
    first = false;
    append_field(f);
  }
  text_ += "\r\n";
}

std::string csv_text::cp932() const { return utf8_to_cp932(text_); }

}  // namespace karigane
