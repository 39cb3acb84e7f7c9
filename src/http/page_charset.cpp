// Charset detection and decoding of fetched pages: see page_charset.h.
#include "http/page_charset.h"

#include <algorithm>

#include "core/cp932.h"

namespace karigane {
namespace {

// Browsers look for the meta declaration only near the start of the page.
constexpr std::size_t kMetaScanBytes = 8192;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t find_nocase(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.empty() || hay.size() < needle.size()) return std::string_view::npos;
  for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
    bool match = true;
    for (std::size_t k = 0; k < needle.size(); ++k) {
      if (lower(hay[i + k]) != needle[k]) {
        match = false;
        break;
      }
    }
    if (match) return i;
  }
  return std::string_view::npos;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The value after "charset" in `text` from `pos` (just past the word): "=", optional quotes.
std::string charset_value_after(std::string_view text, std::size_t pos) {
  while (pos < text.size() && is_space(text[pos])) ++pos;
  if (pos >= text.size() || text[pos] != '=') return {};
  ++pos;
  while (pos < text.size() && (is_space(text[pos]) || text[pos] == '"' || text[pos] == '\'')) {
    ++pos;
  }
  std::string value;
  while (pos < text.size()) {
    const char c = text[pos];
    if (is_space(c) || c == '"' || c == '\'' || c == ';' || c == '>' || c == '/') break;
    value.push_back(lower(c));
    ++pos;
  }
  return value;
}

}  // namespace

std::string content_type_charset(std::string_view content_type) {
  const std::size_t p = find_nocase(content_type, "charset", 0);
  if (p == std::string_view::npos) return {};
  return charset_value_after(content_type, p + 7);
}

std::string meta_charset(std::string_view body) {
  const std::string_view head = body.substr(0, std::min(body.size(), kMetaScanBytes));
  std::size_t p = 0;
  while ((p = find_nocase(head, "<meta", p)) != std::string_view::npos) {
    const std::size_t end = head.find('>', p);
    const std::string_view tag =
        head.substr(p, end == std::string_view::npos ? std::string_view::npos : end - p);
    std::size_t c = 0;
    while ((c = find_nocase(tag, "charset", c)) != std::string_view::npos) {
      std::string value = charset_value_after(tag, c + 7);
      if (!value.empty()) return value;
      c += 7;
    }
    if (end == std::string_view::npos) break;
    p = end;
  }
  return {};
}

std::string decode_page(std::string_view body, std::string_view content_type) {
  std::string charset = content_type_charset(content_type);
  if (charset.empty()) charset = meta_charset(body);
  return decode_charset(body, charset);
}

}  // namespace karigane
