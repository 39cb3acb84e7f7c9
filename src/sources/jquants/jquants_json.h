// The bodies J-Quants answers with, read with simdjson: {"data": [rows...]} with a
// "pagination_key" while rows remain, or {"message": "..."} (which the service does not promise).
// A row's fields are read leniently: unknown keys are ignored, a number may come as a JSON
// number or as a string holding one ("" and null are no value), and numbers are given as the
// decimal text the stored files write (2047.0 is "2047").
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/status.h"

namespace karigane {

// One row object of an answer, valid during the call that hands it over.
class api_row {
 public:
  explicit api_row(const void* object) : object_(object) {}
  // A string field's text; nothing when the key is absent or its value is not a string.
  std::optional<std::string_view> text(std::string_view key) const;
  // A number field as decimal text without exponent and without trailing zeros after the point
  // (2047.0 -> "2047", 769.23 -> "769.23"); a string holding a number is taken as written
  // (trimmed). Nothing when absent, null, "" or not a number.
  std::optional<std::string> number(std::string_view key) const;
  // A number field's value (nothing as for number()).
  std::optional<double> value(std::string_view key) const;

 private:
  const void* object_;
};

using api_row_visitor = std::function<void(const api_row&)>;

// Reads answers; holds the parser's memory from page to page (one reader per client).
class api_page_reader {
 public:
  api_page_reader();
  ~api_page_reader();
  api_page_reader(const api_page_reader&) = delete;
  api_page_reader& operator=(const api_page_reader&) = delete;

  // Hands every row of the body's "data" array to `each` and gives the body's pagination key
  // ("" when it has none). failed when the body is not a JSON object with a "data" array (the
  // rows are then not handed over at all).
  status read(const std::string& body, const api_row_visitor& each, std::string& pagination_key);

  // The "message" of an answer's body; "" when it has none (or is no JSON).
  std::string message(const std::string& body);

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};

// True for a decimal number as the service writes one in a string: an optional "-", digits, an
// optional fraction ("-12", "45.60", "0.452").
bool is_decimal_text(std::string_view text);

// `text` (a decimal number) with its point moved `places` to the right (left when negative),
// without leading zeros and with at most `min_decimals` trailing zeros after the point kept:
// ("1234000000", -6, 0) -> "1234", ("0.452", 2, 1) -> "45.2", ("12345000", -3, 0) -> "12345".
std::string shift_decimal(std::string_view text, int places, int min_decimals);

}  // namespace karigane
