// The character set the quote site writes its pages in (UTF-8, Shift_JIS or EUC-JP, as the
// real sites have used) and where it declares it (HTTP header, meta tag, or both), and the
// assembly of a page's whole document.
#pragma once

#include <string>
#include <string_view>

#include "page_kind.h"

namespace karigane::quote_site {

enum class charset_place { header, meta, both };

struct page_encoding {
  std::string charset = "utf-8";  // "utf-8", "shift_jis" or "euc-jp"
  charset_place place = charset_place::both;
};

// Normalises a charset name ("UTF-8", "Shift_JIS", "sjis", "EUC-JP", ...); false when it is
// not one of the three.
bool parse_charset(std::string_view text, std::string& charset);
bool parse_charset_place(std::string_view text, charset_place& place);

// UTF-8 text in the charset; characters the charset lacks become numeric character
// references (&#134071;), as a server writing that charset sends them.
std::string encode_text(std::string_view utf8, const std::string& charset);

// The Content-Type header value of a page.
std::string content_type(const page_encoding& encoding);

// The whole document of an answer, encoded.
std::string page_document(const page_answer& answer, const page_encoding& encoding);

}  // namespace karigane::quote_site
