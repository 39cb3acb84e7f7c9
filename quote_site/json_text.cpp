// The API's JSON pieces: see json_text.h.
#include "json_text.h"

#include <cmath>
#include <cstdio>

namespace karigane::quote_site {
namespace {

// A fixed-point value of `scale` (10 or 100) with its trailing zeros dropped, one decimal kept.
std::string fixed_point(std::int64_t value, std::int64_t scale) {
  const bool negative = value < 0;
  const std::uint64_t v =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const auto s = static_cast<std::uint64_t>(scale);
  std::string fraction = std::to_string(v % s);
  fraction.insert(fraction.begin(), std::to_string(s).size() - 1 - fraction.size(), '0');
  while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
  return (negative ? "-" : "") + std::to_string(v / s) + "." + fraction;
}

}  // namespace

std::string json_string(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string json_hundredths(std::int64_t hundredths) { return fixed_point(hundredths, 100); }

std::string json_tenths(std::int64_t tenths) { return fixed_point(tenths, 10); }

std::string json_whole(std::int64_t value) { return std::to_string(value) + ".0"; }

std::string json_factor(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  std::string out = text;
  while (out.back() == '0' && out[out.size() - 2] != '.') out.pop_back();
  return out;
}

void json_object::key(std::string_view name) {
  if (!body_.empty()) body_ += ", ";
  body_ += json_string(name);
  body_ += ": ";
}

json_object& json_object::text(std::string_view name, std::string_view value) {
  key(name);
  body_ += json_string(value);
  return *this;
}

json_object& json_object::raw(std::string_view name, std::string_view json) {
  key(name);
  body_ += json;
  return *this;
}

std::string json_data_body(std::span<const std::string> rows, const std::string& pagination_key) {
  std::size_t size = 32 + pagination_key.size();
  for (const auto& r : rows) size += r.size() + 2;
  std::string body;
  body.reserve(size);
  body += "{\"data\": [";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) body += ", ";
    body += rows[i];
  }
  body += "]";
  if (!pagination_key.empty()) body += ", \"pagination_key\": " + json_string(pagination_key);
  body += "}";
  return body;
}

std::string json_message(std::string_view message) {
  return "{\"message\": " + json_string(message) + "}";
}

}  // namespace karigane::quote_site
