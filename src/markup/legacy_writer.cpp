// The legacy form's writing rules: see legacy_writer.h.
#include "markup/legacy_writer.h"

#include "markup/markup_tokens.h"

namespace karigane::legacy_writer {
namespace {

using markup_tokens::ascii_lower;
using markup_tokens::ascii_upper;

bool unquoted_value_ok(std::string_view value) {
  for (char c : value) {
    if (!markup_tokens::has_class(c, markup_tokens::kBareValueChar)) return false;
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
  const markup_tokens::tag* t = markup_tokens::find_tag(name);
  return t != nullptr && (t->flags & markup_tokens::kVoid) != 0;
}

}  // namespace karigane::legacy_writer
