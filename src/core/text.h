// Text helpers with the semantics the extraction and file code relies on: 1-based character
// positions (0 = not found), searches forward and backward from a position, Mid/Left/Right by
// characters, Val (leading numeric part), integer values rounded half to even, Trim of blanks.
// Page texts are searched as UTF-32 so that a position is a character; table fields are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace karigane {

using u32 = std::u32string;
using u32v = std::u32string_view;

inline constexpr std::size_t npos = static_cast<std::size_t>(-1);

// Conversions between UTF-8 and UTF-32; invalid UTF-8 bytes become U+FFFD.
u32 to_u32(std::string_view utf8);
std::string to_utf8(u32v text);

// Appends one code point to a UTF-8 text.
void append_utf8(std::string& out, char32_t cp);

// Number of characters (code points) of a UTF-8 text.
std::size_t char_count(std::string_view utf8);

// 1-based position of the first `needle` that starts at or after `start`; 0 when absent.
std::size_t instr(u32v hay, u32v needle, std::size_t start = 1);
std::size_t instr(std::string_view hay, std::string_view needle, std::size_t start = 1);

// 1-based position of the last `needle` that starts at or before `start` (npos: anywhere).
std::size_t instr_rev(u32v hay, u32v needle, std::size_t start = npos);

// Characters from 1-based `start`, at most `len` of them (Mid); empty beyond the end.
u32 mid(u32v text, std::size_t start, std::size_t len = npos);
std::string mid(std::string_view utf8, std::size_t start, std::size_t len = npos);
std::string left(std::string_view utf8, std::size_t n);
std::string right(std::string_view utf8, std::size_t n);

// The characters between 1-based positions `from` (inclusive) and `to` (exclusive); empty when
// out of range.
u32v between(u32v text, std::size_t from, std::size_t to);

bool contains(u32v hay, u32v needle);
bool contains(std::string_view hay, std::string_view needle);

// Blanks (space, tab, CR, LF) removed at both ends.
std::string trim(std::string_view text);
u32 trim(u32v text);

std::string replace_first(std::string_view text, std::string_view from, std::string_view to);
std::string remove_all(std::string_view text, std::string_view what);
u32 remove_all(u32v text, u32v what);

// Val: the leading decimal number of the text (blanks before and inside the number are
// skipped, an optional sign, digits, a fraction and an exponent); 0 when there is none.
double val(std::string_view text);
double val(u32v text);

// Rounds half to even, as the integer conversion of the original tables does.
std::int64_t round_half_even(double value);

// The integer value of a text: Val rounded half to even.
std::int64_t int_value(std::string_view text);

// Decimal text without blanks or leading zeros.
std::string num_text(std::int64_t value);

// "0" + text when the text's numeric value is at most 9 (month and day fields of dates).
std::string zero_pad_below_10(std::string_view text);

// "0" + text when the text is one character long (hour and minute fields of times).
std::string zero_pad_one_char(std::string_view text);

// A path as one word of a shell command that a message suggests: as it is when it holds only
// letters, digits and "/._-+", else in single quotes; a folder's final "/" left out.
std::string shell_word(std::string text);

}  // namespace karigane
