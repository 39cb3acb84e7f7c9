// Page charsets and documents: see page_encoding.h.
#include "page_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/text.h"

namespace karigane::quote_site {
namespace {

std::string lower(std::string_view text) {
  std::string out(trim(text));
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

const char* charset_label(const std::string& charset) {
  if (charset == "shift_jis") return "Shift_JIS";
  if (charset == "euc-jp") return "EUC-JP";
  return "UTF-8";
}

const char* iconv_name(const std::string& charset) {
  if (charset == "shift_jis") return "CP932";
  if (charset == "euc-jp") return "EUC-JP-MS";
  return nullptr;
}

// Converts one character at a time only after a failure, so ordinary pages convert in one go.
std::string iconv_with_references(std::string_view utf8, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string out;
  std::vector<char> in(utf8.begin(), utf8.end());
  char* inptr = in.data();
  std::size_t inleft = in.size();
  std::vector<char> buf(utf8.size() * 2 + 64);
  while (inleft > 0) {
    char* outptr = buf.data();
    std::size_t outleft = buf.size();
    const std::size_t rc = iconv(cd, &inptr, &inleft, &outptr, &outleft);
    out.append(buf.data(), static_cast<std::size_t>(outptr - buf.data()));
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // An unconvertible or broken character: write it as a reference and go on after it.
    const unsigned char lead = static_cast<unsigned char>(*inptr);
    const std::size_t len = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                            : (lead & 0xF8) == 0xF0 ? 4 : 1;
    const std::size_t take = std::min(len, inleft);
    const u32 cp = to_u32(std::string_view(inptr, take));
    out += "&#" + std::to_string(cp.empty() ? 0xFFFDu : static_cast<unsigned>(cp[0])) + ";";
    inptr += take;
    inleft -= take;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

bool parse_charset(std::string_view text, std::string& charset) {
  const std::string t = lower(text);
  if (t == "utf-8" || t == "utf8") {
    charset = "utf-8";
  } else if (t == "shift_jis" || t == "shift-jis" || t == "sjis" || t == "cp932" || t == "windows-31j") {
    charset = "shift_jis";
  } else if (t == "euc-jp" || t == "eucjp") {
    charset = "euc-jp";
  } else {
    return false;
  }
  return true;
}

bool parse_charset_place(std::string_view text, charset_place& place) {
  const std::string t = lower(text);
  if (t == "header") {
    place = charset_place::header;
  } else if (t == "meta") {
    place = charset_place::meta;
  } else if (t == "both") {
    place = charset_place::both;
  } else {
    return false;
  }
  return true;
}

std::string encode_text(std::string_view utf8, const std::string& charset) {
  const char* name = iconv_name(charset);
  if (name == nullptr) return std::string(utf8);
  return iconv_with_references(utf8, name);
}

std::string content_type(const page_encoding& encoding) {
  if (encoding.place == charset_place::meta) return "text/html";
  return std::string("text/html; charset=") + charset_label(encoding.charset);
}

std::string page_document(const page_answer& answer, const page_encoding& encoding) {
  std::string html;
  html.reserve(answer.body.size() + 512);
  html += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n";
  if (encoding.place != charset_place::header) {
    html += std::string("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=") +
            charset_label(encoding.charset) + "\">\n";
  }
  html += "<title>";
  for (char c : answer.title) {
    if (c == '&') {
      html += "&amp;";
    } else if (c == '<') {
      html += "&lt;";
    } else {
      html.push_back(c);
    }
  }
  html += "</title>\n</head>\n<body>\n";
  html += answer.body;
  html += "</body>\n</html>\n";
  return encode_text(html, encoding.charset);
}

}  // namespace karigane::quote_site
