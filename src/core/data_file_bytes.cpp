// Data files as bytes: see data_file_bytes.h.
#include "core/data_file_bytes.h"

#include <cstdint>
#include <cstring>

namespace karigane {
namespace {

// The next line from `pos` (without CR LF, LF or CR); false at the end.
bool next_line(std::string_view bytes, std::size_t& pos, std::string_view& line) {
  if (pos >= bytes.size()) return false;
  const void* nl = std::memchr(bytes.data() + pos, '\n', bytes.size() - pos);
  std::size_t end = nl == nullptr ? bytes.size()
                                  : static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data());
  std::size_t next = nl == nullptr ? bytes.size() : end + 1;
  if (end > pos && bytes[end - 1] == '\r') --end;
  // A lone CR also ends a line.
  const void* cr = std::memchr(bytes.data() + pos, '\r', end - pos);
  if (cr != nullptr) {
    end = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data());
    next = end + 1;
  }
  line = bytes.substr(pos, end - pos);
  pos = next;
  return true;
}

std::size_t field_count(std::string_view line) {
  // Commas are counted eight bytes at a time: fields are a few bytes long, and a memchr call
  // per field costs more than the bytes it skips.
  constexpr std::uint64_t commas = 0x2C2C2C2C2C2C2C2CULL;
  constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
  std::size_t n = 1;
  std::size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, line.data() + i, 8);
    const std::uint64_t x = word ^ commas;                  // a zero byte for every comma
    const std::uint64_t nonzero = ((x & low7) + low7) | x;  // high bit set where a byte is not
    // One bit per comma at the bottom of its byte; the multiplication adds the bytes up in
    // the top one (without a popcount instruction, std::popcount is a library call).
    const std::uint64_t ones = (~nonzero & ~low7) >> 7;
    n += static_cast<std::size_t>((ones * 0x0101010101010101ULL) >> 56);
  }
  for (; i < line.size(); ++i) n += line[i] == ',';
  return n;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string_view first_field(std::string_view line) {
  return trimmed(line.substr(0, line.find(',')));
}

namespace {

// The header's fields and its count; false when the header is not the file's.
bool read_header(std::string_view header, std::size_t width, std::size_t count_field,
                 data_file_layout& layout) {
  layout.header.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = header.find(',', start);
    layout.header.push_back(header.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                 : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (layout.header.size() != width) return false;
  const std::string_view count_text = trimmed(layout.header[count_field]);
  if (count_text.empty() || count_text.size() > 9) return false;
  std::size_t count = 0;
  for (char c : count_text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + static_cast<std::size_t>(c - '0');
  }
  layout.count = count;
  return true;
}

// `rows` rows of `width` fields from `pos`, then nothing but empty lines; the body runs from
// `body_start` to the end of the rows.
layout_scan scan_rows_from(std::string_view bytes, std::size_t body_start, std::size_t pos,
                           std::size_t rows, std::size_t width, data_file_layout& layout) {
  std::string_view line;
  for (std::size_t k = 0; k < rows; ++k) {
    if (!next_line(bytes, pos, line) || field_count(line) != width) return layout_scan::damaged;
    layout.last_row = line;
  }
  layout.body = bytes.substr(body_start, pos - body_start);
  while (next_line(bytes, pos, line)) {
    if (!trimmed(line).empty()) return layout_scan::damaged;
  }
  return layout_scan::ok;
}

}  // namespace

layout_scan scan_data_file(std::string_view bytes, std::size_t width, std::size_t count_field,
                           data_file_layout& layout) {
  if (std::memchr(bytes.data(), '"', bytes.size()) != nullptr) return layout_scan::quoted;
  std::size_t pos = 0;
  std::string_view header;
  if (!next_line(bytes, pos, header)) return layout_scan::damaged;
  if (!read_header(header, width, count_field, layout)) return layout_scan::damaged;
  layout.last_row = {};
  return scan_rows_from(bytes, pos, pos, layout.count, width, layout);
}

std::size_t data_file_body_start(std::string_view bytes) {
  std::size_t pos = 0;
  std::string_view header;
  return next_line(bytes, pos, header) ? pos : std::string_view::npos;
}

layout_scan scan_data_file_after(std::string_view bytes, std::size_t width,
                                 std::size_t count_field, std::size_t known_rows,
                                 std::size_t known_bytes, data_file_layout& layout) {
  const std::size_t body_start = data_file_body_start(bytes);
  if (known_rows == 0 || known_bytes == 0 || body_start == std::string_view::npos ||
      known_bytes > bytes.size() - body_start || bytes[body_start + known_bytes - 1] != '\n' ||
      bytes[body_start] == '\n' || bytes[body_start] == '\r') {
    return scan_data_file(bytes, width, count_field, layout);
  }
  const std::size_t rest = body_start + known_bytes;
  if (std::memchr(bytes.data(), '"', body_start) != nullptr ||
      std::memchr(bytes.data() + rest, '"', bytes.size() - rest) != nullptr) {
    return layout_scan::quoted;
  }
  std::size_t pos = 0;
  std::string_view header;
  next_line(bytes, pos, header);
  if (!read_header(header, width, count_field, layout)) return layout_scan::damaged;
  // With no row after the known ones, where the last row lies is only found by reading them.
  if (layout.count <= known_rows) return scan_data_file(bytes, width, count_field, layout);
  layout.last_row = {};
  return scan_rows_from(bytes, body_start, rest, layout.count - known_rows, width, layout);
}

}  // namespace karigane
