// The legacy form's writing rules: see legacy_writer.h.
#include "markup/legacy_writer.h"

#include <array>

namespace karigane::legacy_writer {
namespace {

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool unquoted_value_ok(std::string_view value) {
  for (char ch : value) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x80) continue;
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

void append_tag_name(std::string& out, std::string_view name) {
  for (char c : name) out.push_back(ascii_upper(c));
}

void append_attribute(std::string& out, std::string_view name, std::string_view value) {
  out.push_back(' ');
  for (char c : name) out.push_back(ascii_lower(c));
  if (value.empty()) return;
  out.push_back('=');
  if (unquoted_value_ok(value)) {
    out += value;
    return;
  }
  out.push_back('"');
  for (char c : value) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

void append_text(std::string& out, std::string_view text) {
  const std::size_t n = text.size();
  std::size_t plain_from = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    const char* entity = nullptr;
    std::size_t width = 1;
    if (c == '&') {
      entity = "&amp;";
    } else if (c == '<') {
      entity = "&lt;";
    } else if (c == '>') {
      entity = "&gt;";
    } else if (c == '\xC2' && i + 1 < n && text[i + 1] == '\xA0') {
      entity = "&nbsp;";
      width = 2;
    }
    if (entity == nullptr) continue;
    out.append(text.data() + plain_from, i - plain_from);
    out += entity;
    i += width - 1;
    plain_from = i + 1;
  }
  out.append(text.data() + plain_from, n - plain_from);
}

bool is_void_element(std::string_view name) {
  static constexpr std::array<std::string_view, 18> kVoid{
      "area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr",
      "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"};
  for (auto v : kVoid) {
    if (v == name) return true;
  }
  return false;
}

}  // namespace karigane::legacy_writer
