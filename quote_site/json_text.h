// Pieces of the J-Quants API's JSON: strings escaped, numbers in the forms the service writes
// (always with a decimal point, 2047.0 and 769.23, or null), row objects built key by key, and
// the bodies of answers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace karigane::quote_site {

inline constexpr std::string_view kJsonNull = "null";

// A JSON string: quotes, backslashes and control characters escaped, UTF-8 kept as it is.
std::string json_string(std::string_view utf8);

// A value held in hundredths: 204700 -> "2047.0", 76923 -> "769.23", 76920 -> "769.2".
std::string json_hundredths(std::int64_t hundredths);

// A value held in tenths: 12345 -> "1234.5", 20470 -> "2047.0".
std::string json_tenths(std::int64_t tenths);

// A whole number as the service writes it: 2202500 -> "2202500.0".
std::string json_whole(std::int64_t value);

// A factor rounded to six decimals, without trailing zeros but with one decimal at least:
// 0.5 -> "0.5", 1/3 -> "0.333333", 5 -> "5.0".
std::string json_factor(double value);

// One object, its keys in the order added.
class json_object {
 public:
  // A string value.
  json_object& text(std::string_view key, std::string_view value);
  // A number or null, already written.
  json_object& raw(std::string_view key, std::string_view json);
  std::string str() const { return "{" + body_ + "}"; }

 private:
  void key(std::string_view name);
  std::string body_;
};

// {"data": [rows]} and, when `pagination_key` is not empty, "pagination_key".
std::string json_data_body(std::span<const std::string> rows, const std::string& pagination_key);

// {"message": "..."}.
std::string json_message(std::string_view message);

}  // namespace karigane::quote_site
