// CP932 and EUC-JP codecs: see cp932.h. The CP932 tables come from iconv once; after that
// every conversion is a table lookup, so large data files convert at memory speed.
#include "core/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "core/text.h"

namespace karigane {
namespace {

// Converts one byte sequence with iconv; returns false when the whole input did not convert.
bool iconv_once(iconv_t cd, std::string_view in, std::string& out) {
  out.clear();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::vector<char> inbuf(in.begin(), in.end());
  char* inptr = inbuf.data();
  std::size_t inleft = inbuf.size();
  char buf[64];
  char* outptr = buf;
  std::size_t outleft = sizeof buf;
  const std::size_t rc = iconv(cd, &inptr, &inleft, &outptr, &outleft);
  if (rc == static_cast<std::size_t>(-1) || inleft != 0) return false;
  char* flushptr = outptr;
  std::size_t flushleft = outleft;
  iconv(cd, nullptr, nullptr, &flushptr, &flushleft);
  out.assign(buf, flushptr);
  return true;
}

struct cp932_tables {
  std::array<char32_t, 256> single{};  // 0 = not a single-byte character
  std::vector<char32_t> dbcs;          // index (lead << 8 | trail); 0 = unmapped
  std::unordered_map<char32_t, std::uint16_t> encode;

  cp932_tables() : dbcs(65536, 0) {
    iconv_t dec = iconv_open("UTF-32LE", "CP932");
    iconv_t enc = iconv_open("CP932", "UTF-32LE");
    std::string out;
    auto decode_cp = [&](std::string_view bytes) -> char32_t {
      if (dec == reinterpret_cast<iconv_t>(-1)) return 0;
      if (!iconv_once(dec, bytes, out) || out.size() != 4) return 0;
      return static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8) |
             (static_cast<unsigned char>(out[2]) << 16) |
             (static_cast<char32_t>(static_cast<unsigned char>(out[3])) << 24);
    };
    for (int b = 0; b < 0x80; ++b) single[b] = static_cast<char32_t>(b);
    for (int b = 0xA1; b <= 0xDF; ++b) {
      const char c = static_cast<char>(b);
      single[b] = decode_cp(std::string_view(&c, 1));
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (lead >= 0xA0 && lead <= 0xDF) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        dbcs[(lead << 8) | trail] = decode_cp(std::string_view(pair, 2));
      }
    }
    // The encoder follows iconv's own choice where several byte pairs decode to one character.
    std::vector<char32_t> seen;
    for (int b = 0xA1; b <= 0xDF; ++b) {
      if (single[b] != 0) seen.push_back(single[b]);
    }
    for (char32_t cp : dbcs) {
      if (cp != 0) seen.push_back(cp);
    }
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    for (char32_t cp : seen) {
      const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                          static_cast<char>((cp >> 16) & 0xFF),
                          static_cast<char>((cp >> 24) & 0xFF)};
      if (enc == reinterpret_cast<iconv_t>(-1)) break;
      if (!iconv_once(enc, std::string_view(in, 4), out)) continue;
      if (out.size() == 1) {
        encode[cp] = static_cast<unsigned char>(out[0]);
      } else if (out.size() == 2) {
        encode[cp] = static_cast<std::uint16_t>((static_cast<unsigned char>(out[0]) << 8) |
                                                static_cast<unsigned char>(out[1]));
      }
    }
    if (dec != reinterpret_cast<iconv_t>(-1)) iconv_close(dec);
    if (enc != reinterpret_cast<iconv_t>(-1)) iconv_close(enc);
  }
};

const cp932_tables& tables() {
  static const cp932_tables t;
  return t;
}

bool is_lead_byte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The end of the run of ASCII bytes that starts at i: data files are almost all ASCII, and a
// run is copied in one append rather than byte by byte.
std::size_t ascii_run_end(std::string_view s, std::size_t i) {
  // Eight bytes at a time while none has its high bit set.
  while (i + 8 <= s.size()) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    if (word & 0x8080808080808080ULL) break;
    i += 8;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}


// Decodes one multi-byte code point at s[i]; returns its length (at least 1).
std::size_t decode_utf8_at(std::string_view s, std::size_t i, char32_t& cp) {
  const u32 one = to_u32(s.substr(i, std::min<std::size_t>(4, s.size() - i)));
  cp = one.empty() ? 0xFFFD : one[0];
  const unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t len = 1;
  if (cp != 0xFFFD) {
    if ((c & 0xE0) == 0xC0) len = 2;
    else if ((c & 0xF0) == 0xE0) len = 3;
    else if ((c & 0xF8) == 0xF0) len = 4;
  }
  return len;
}

std::string iconv_to_utf8(std::string_view bytes, const char* from) {
  iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
  std::string out;
  std::vector<char> in(bytes.begin(), bytes.end());
  char* inptr = in.data();
  std::size_t inleft = in.size();
  std::vector<char> buf(bytes.size() * 4 + 16);
  while (inleft > 0) {
    char* outptr = buf.data();
    std::size_t outleft = buf.size();
    const std::size_t rc = iconv(cd, &inptr, &inleft, &outptr, &outleft);
    out.append(buf.data(), outptr);
    if (rc == static_cast<std::size_t>(-1) && inleft > 0) {
      // Skip one undecodable byte and mark it.
      out += "\xEF\xBF\xBD";
      ++inptr;
      --inleft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string utf8_to_cp932(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  const cp932_tables* t = nullptr;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      const std::size_t end = ascii_run_end(s, i);
      out.append(s.data() + i, end - i);
      i = end;
      continue;
    }
    if (t == nullptr) t = &tables();
    char32_t cp = 0;
    i += decode_utf8_at(s, i, cp);
    const auto it = t->encode.find(cp);
    if (it == t->encode.end()) {
      out.push_back('?');
    } else if (it->second < 0x100) {
      out.push_back(static_cast<char>(it->second));
    } else {
      out.push_back(static_cast<char>(it->second >> 8));
      out.push_back(static_cast<char>(it->second & 0xFF));
    }
  }
  return out;
}

std::string cp932_to_utf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  const cp932_tables* t = nullptr;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      const std::size_t end = ascii_run_end(s, i);
      out.append(s.data() + i, end - i);
      i = end;
      continue;
    }
    if (t == nullptr) t = &tables();
    if (is_lead_byte(c) && i + 1 < s.size()) {
      const unsigned char trail = static_cast<unsigned char>(s[i + 1]);
      const char32_t cp = t->dbcs[(c << 8) | trail];
      if (cp != 0) {
        append_utf8(out, cp);
        i += 2;
        continue;
      }
    } else if (t->single[c] != 0) {
      append_utf8(out, t->single[c]);
      ++i;
      continue;
    }
    out += "\xEF\xBF\xBD";
    ++i;
  }
  return out;
}

std::string cp932_roundtrip(std::string_view utf8) { return cp932_to_utf8(utf8_to_cp932(utf8)); }

bool representable_in_cp932(std::string_view utf8) {
  const cp932_tables* t = nullptr;
  std::size_t i = 0;
  while (i < utf8.size()) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      ++i;
      continue;
    }
    if (t == nullptr) t = &tables();
    char32_t cp = 0;
    i += decode_utf8_at(utf8, i, cp);
    if (t->encode.find(cp) == t->encode.end()) return false;
  }
  return true;
}

std::string clean_stock_name(std::string_view name) {
  std::string s = replace_first(name, "amp;", "");
  s = cp932_roundtrip(s);
  return replace_first(s, "?", "－");
}

std::size_t utf8_sequence_at(std::string_view s, std::size_t i, char32_t& cp) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t extra = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + extra >= s.size()) return 0;
  for (std::size_t k = 1; k <= extra; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (t & 0x3F);
  }
  if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return extra + 1;
}

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    // Pages are mostly ASCII markup: eight bytes without a high bit at a time.
    for (std::uint64_t word; i + 8 <= s.size(); i += 8) {
      std::memcpy(&word, s.data() + i, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
    }
    if (i >= s.size()) break;
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = utf8_sequence_at(s, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string decode_user_text(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (is_valid_utf8(bytes)) return std::string(bytes);
  return cp932_to_utf8(bytes);
}

std::string decode_charset(std::string_view bytes, std::string_view charset) {
  std::string name;
  for (char c : charset) name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  name = trim(name);
  if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" ||
      name == "cp932" || name == "windows-31j" || name == "ms932" || name == "ms_kanji") {
    return cp932_to_utf8(bytes);
  }
  if (name == "euc-jp" || name == "eucjp" || name == "x-euc-jp") {
    return iconv_to_utf8(bytes, "EUC-JP-MS");
  }
  // UTF-8: invalid sequences become U+FFFD; a well-formed page (nearly every one) is taken as
  // it is, without a pass through UTF-32.
  if (is_valid_utf8(bytes)) return std::string(bytes);
  return to_utf8(to_u32(bytes));
}

}  // namespace karigane
