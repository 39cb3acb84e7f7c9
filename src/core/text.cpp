// Text helpers: see text.h.
#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace karigane {

u32 to_u32(std::string_view s) {
  // Written in place: a page is mostly ASCII markup, taken eight bytes at a time.
  u32 out(s.size(), U'\0');
  char32_t* o = out.data();
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    for (std::uint64_t word; i + 8 <= n; i += 8) {
      std::memcpy(&word, s.data() + i, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
      for (std::size_t k = 0; k < 8; ++k) *o++ = static_cast<unsigned char>(s[i + k]);
    }
    if (i >= n) break;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      *o++ = c;
      ++i;
      continue;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      *o++ = 0xFFFD;
      ++i;
      continue;
    }
    // A broken sequence becomes one U+FFFD for its valid leading part, as browsers do.
    int k = 1;
    for (; k <= extra; ++k) {
      if (i + k >= n || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) break;
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    if (k <= extra) {
      *o++ = 0xFFFD;
      i += k;
      continue;
    }
    *o++ = cp;
    i += extra + 1;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string to_utf8(u32v s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t cp : s) append_utf8(out, cp);
  return out;
}

std::size_t char_count(std::string_view s) {
  std::size_t count = 0;
  for (char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

namespace {

bool is_ascii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool is_blank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n'; }

}  // namespace

std::size_t instr(u32v hay, u32v needle, std::size_t start) {
  if (start < 1) start = 1;
  if (start > hay.size() + 1) return 0;
  const std::size_t at = hay.find(needle, start - 1);
  return at == u32v::npos ? 0 : at + 1;
}

std::size_t instr(std::string_view hay, std::string_view needle, std::size_t start) {
  if (is_ascii(hay)) {
    if (start < 1) start = 1;
    if (start > hay.size() + 1) return 0;
    const std::size_t at = hay.find(needle, start - 1);
    return at == std::string_view::npos ? 0 : at + 1;
  }
  return instr(u32v(to_u32(hay)), u32v(to_u32(needle)), start);
}

std::size_t instr_rev(u32v hay, u32v needle, std::size_t start) {
  if (needle.size() > hay.size()) return 0;
  std::size_t from = start == npos ? hay.size() : (start < 1 ? 0 : start - 1);
  const std::size_t at = hay.rfind(needle, from);
  return at == u32v::npos ? 0 : at + 1;
}

u32 mid(u32v text, std::size_t start, std::size_t len) {
  if (start < 1) start = 1;
  if (start > text.size()) return {};
  return u32(text.substr(start - 1, len));
}

std::string mid(std::string_view s, std::size_t start, std::size_t len) {
  if (is_ascii(s)) {
    if (start < 1) start = 1;
    if (start > s.size()) return {};
    return std::string(s.substr(start - 1, len));
  }
  return to_utf8(mid(u32v(to_u32(s)), start, len));
}

std::string left(std::string_view s, std::size_t n) { return mid(s, 1, n); }

std::string right(std::string_view s, std::size_t n) {
  const std::size_t count = char_count(s);
  if (n >= count) return std::string(s);
  return mid(s, count - n + 1);
}

u32v between(u32v text, std::size_t from, std::size_t to) {
  if (from < 1 || to <= from || from > text.size()) return {};
  return text.substr(from - 1, std::min(to, text.size() + 1) - from);
}

bool contains(u32v hay, u32v needle) { return hay.find(needle) != u32v::npos; }
bool contains(std::string_view hay, std::string_view needle) {
  return hay.find(needle) != std::string_view::npos;
}

std::string trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && is_blank(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && is_blank(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

u32 trim(u32v s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return u32(s.substr(b, e - b));
}

std::string replace_first(std::string_view text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  if (from.empty() || at == std::string_view::npos) return std::string(text);
  std::string out(text.substr(0, at));
  out += to;
  out += text.substr(at + from.size());
  return out;
}

std::string remove_all(std::string_view text, std::string_view what) {
  if (what.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t at = text.find(what, pos);
    if (at == std::string_view::npos) break;
    out += text.substr(pos, at - pos);
    pos = at + what.size();
  }
  out += text.substr(pos);
  return out;
}

u32 remove_all(u32v text, u32v what) {
  if (what.empty()) return u32(text);
  u32 out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t at = text.find(what, pos);
    if (at == u32v::npos) break;
    out += text.substr(pos, at - pos);
    pos = at + what.size();
  }
  out += text.substr(pos);
  return out;
}

namespace {

// Val over any character type: skips blanks anywhere inside the number, as the original
// conversion does, and stops at the first character that cannot continue it.
template <typename Char>
double val_impl(std::basic_string_view<Char> s) {
  std::string digits;
  std::size_t i = 0;
  const std::size_t n = s.size();
  auto skip_blanks = [&] {
    while (i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
  };
  skip_blanks();
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') digits.push_back('-');
    ++i;
  }
  bool seen_digit = false;
  bool seen_point = false;
  while (true) {
    skip_blanks();
    if (i >= n) break;
    const Char c = s[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(static_cast<char>(c));
      seen_digit = true;
      ++i;
    } else if (c == '.' && !seen_point) {
      digits.push_back('.');
      seen_point = true;
      ++i;
    } else {
      break;
    }
  }
  if (!seen_digit) return 0.0;
  // Exponent: E or D followed by an optional sign and digits.
  if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (j < n && (s[j] == '+' || s[j] == '-')) {
      exp.push_back(static_cast<char>(s[j]));
      ++j;
    }
    bool exp_digit = false;
    while (j < n && s[j] >= '0' && s[j] <= '9') {
      exp.push_back(static_cast<char>(s[j]));
      exp_digit = true;
      ++j;
    }
    if (exp_digit) digits += exp;
  }
  // from_chars ignores the locale, which a front end may have changed to one with a decimal
  // comma; it does not take a leading "+".
  double value = 0.0;
  const char* first = digits.data();
  const char* last = digits.data() + digits.size();
  if (first != last && *first == '-') {
    const auto r = std::from_chars(first + 1, last, value);
    return r.ec == std::errc() ? -value : 0.0;
  }
  const auto r = std::from_chars(first, last, value);
  return r.ec == std::errc() ? value : 0.0;
}

}  // namespace

double val(std::string_view text) { return val_impl<char>(text); }
double val(u32v text) { return val_impl<char32_t>(text); }

std::int64_t round_half_even(double value) {
  if (!std::isfinite(value)) return 0;
  if (value > 9.2e18) return INT64_MAX;
  if (value < -9.2e18) return INT64_MIN;
  return static_cast<std::int64_t>(std::nearbyint(value));
}

std::int64_t int_value(std::string_view text) { return round_half_even(val(text)); }

std::string num_text(std::int64_t value) { return std::to_string(value); }

std::string zero_pad_below_10(std::string_view text) {
  std::string out(text);
  if (val(text) <= 9) out.insert(out.begin(), '0');
  return out;
}

std::string zero_pad_one_char(std::string_view text) {
  std::string out(text);
  if (char_count(text) == 1) out.insert(out.begin(), '0');
  return out;
}

std::string shell_word(std::string text) {
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
           c == '.' || c == '_' || c == '-' || c == '+';
  });
  if (plain) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace karigane
