// The Shift-JIS (code page 932) codec of the data files, the page charsets that page
// retrieval decodes, and the stock-name clean-up that every extractor applies.
// Thread-safe: the code tables are built once, on first use, from glibc's iconv.
#pragma once

#include <string>
#include <string_view>

namespace karigane {

// UTF-8 to CP932 bytes; a character the code page cannot represent becomes "?".
std::string utf8_to_cp932(std::string_view utf8);

// CP932 bytes to UTF-8; a byte sequence that is not CP932 becomes U+FFFD.
std::string cp932_to_utf8(std::string_view bytes);

// The text converted to CP932 and back: characters outside the code page become "?".
std::string cp932_roundtrip(std::string_view utf8);

// True when every character of the text has a CP932 representation.
bool representable_in_cp932(std::string_view utf8);

// Stock-name clean-up of the extractors: the first "amp;" is removed, characters outside
// CP932 become "?", and the first "?" of the result becomes "－" (U+FF0D).
std::string clean_stock_name(std::string_view name);

// Decodes page bytes by a declared charset name (UTF-8, Shift_JIS, CP932, Windows-31J,
// EUC-JP; case-insensitive). Unknown or empty names decode as UTF-8. Returns UTF-8.
std::string decode_charset(std::string_view bytes, std::string_view charset);

// True when the bytes are well-formed UTF-8.
bool is_valid_utf8(std::string_view bytes);

// The length of the well-formed UTF-8 sequence of a character beyond ASCII that starts at
// bytes[i], its code point in cp; 0 when the bytes there are not one (a stray or cut-short
// sequence, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t utf8_sequence_at(std::string_view bytes, std::size_t i, char32_t& cp);

// A file the user may have written by hand (settings, code table): UTF-8 when the bytes are
// well-formed UTF-8 (a byte-order mark is dropped), otherwise CP932.
std::string decode_user_text(std::string_view bytes);

}  // namespace karigane
