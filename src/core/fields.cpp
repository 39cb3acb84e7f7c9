// Field reader, CSV writer and file replacement: see fields.h.
#include "core/fields.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>

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

bool read_file_bytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Read straight into the string, sized by the file; it still grows if the file does.
  struct stat st {};
  std::size_t size = 0;
  std::size_t want = 1 << 16;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) want = static_cast<std::size_t>(st.st_size) + 1;
  bool ok = true;
  while (true) {
    if (bytes.size() < size + want) bytes.resize(size + want);
    const ssize_t got = ::read(fd, bytes.data() + size, want);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    size += static_cast<std::size_t>(got);
    want = std::max<std::size_t>(want, 1 << 16);
  }
  bytes.resize(ok ? size : 0);
  ::close(fd);
  return ok;
}

bool read_cp932_file(const std::string& path, std::string& utf8) {
  std::string bytes;
  if (!read_file_bytes(path, bytes)) {
    utf8.clear();
    return false;
  }
  utf8 = cp932_to_utf8(bytes);
  return true;
}

bool write_file_atomic(const std::string& path, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  const std::string temp = path + ".karigane-tmp" + std::to_string(::getpid()) + "_" +
                           std::to_string(counter.fetch_add(1));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(put);
  }
  // The rename replaces the old file only after every byte is written; ext4 and most
  // journalling file systems also order the data before a rename over an existing file.
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace karigane
