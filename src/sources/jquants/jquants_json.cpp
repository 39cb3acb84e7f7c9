// Reading J-Quants' answers: see jquants_json.h.
#include "sources/jquants/jquants_json.h"

#include <simdjson.h>

#include <charconv>
#include <cmath>

#include "core/text.h"

namespace karigane {
namespace {

const simdjson::dom::object& object_of(const void* p) {
  return *static_cast<const simdjson::dom::object*>(p);
}

std::optional<simdjson::dom::element> field_of(const void* object, std::string_view key) {
  simdjson::dom::element e;
  if (object_of(object).at_key(key).get(e) != simdjson::SUCCESS) return std::nullopt;
  return e;
}

// The shortest decimal text that reads back as `v`, never with an exponent, and without a
// fraction for whole values (a JSON 2047.0 is the file's "2047").
std::string decimal_of(double v) {
  char buffer[400];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
  if (r.ec != std::errc()) return {};
  return std::string(buffer, r.ptr);
}

}  // namespace

bool is_decimal_text(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  auto digits = [](std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return digits(whole) && (dot == std::string_view::npos || digits(fraction));
}

std::string shift_decimal(std::string_view text, int places, int min_decimals) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t dot = text.find('.');
  std::string digits(text.substr(0, dot));
  if (dot != std::string_view::npos) digits += text.substr(dot + 1);
  long point = static_cast<long>(dot == std::string_view::npos ? text.size() : dot) + places;
  if (point < 0) {
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  if (static_cast<std::size_t>(point) > digits.size()) {
    digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
  }
  std::string whole = digits.substr(0, static_cast<std::size_t>(point));
  std::string fraction = digits.substr(static_cast<std::size_t>(point));
  const std::size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? "0" : whole.substr(first);
  const std::size_t keep = static_cast<std::size_t>(std::max(0, min_decimals));
  while (fraction.size() > keep && fraction.back() == '0') fraction.pop_back();
  if (fraction.size() < keep) fraction.append(keep - fraction.size(), '0');
  std::string out = fraction.empty() ? whole : whole + "." + fraction;
  const bool zero = out.find_first_not_of("0.") == std::string::npos;
  return negative && !zero ? "-" + out : out;
}

std::optional<std::string_view> api_row::text(std::string_view key) const {
  const auto e = field_of(object_, key);
  std::string_view s;
  if (!e || e->get_string().get(s) != simdjson::SUCCESS) return std::nullopt;
  return s;
}

std::optional<std::string> api_row::number(std::string_view key) const {
  const auto e = field_of(object_, key);
  if (!e) return std::nullopt;
  switch (e->type()) {
    case simdjson::dom::element_type::INT64:
      return std::to_string(std::int64_t(*e));
    case simdjson::dom::element_type::UINT64:
      return std::to_string(std::uint64_t(*e));
    case simdjson::dom::element_type::DOUBLE: {
      const double v = double(*e);
      if (!std::isfinite(v)) return std::nullopt;
      return decimal_of(v);
    }
    case simdjson::dom::element_type::STRING: {
      const std::string t = trim(std::string(std::string_view(*e)));
      if (!is_decimal_text(t)) return std::nullopt;
      return t;
    }
    default:
      return std::nullopt;
  }
}

std::optional<double> api_row::value(std::string_view key) const {
  const std::optional<std::string> t = number(key);
  if (!t) return std::nullopt;
  double v = 0;
  const auto r = std::from_chars(t->data(), t->data() + t->size(), v);
  if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  return v;
}

struct api_page_reader::impl {
  simdjson::dom::parser parser;
};

api_page_reader::api_page_reader() : impl_(std::make_unique<impl>()) {}
api_page_reader::~api_page_reader() = default;

status api_page_reader::read(const std::string& body, const api_row_visitor& each,
                             std::string& pagination_key) {
  pagination_key.clear();
  simdjson::dom::object root;
  if (impl_->parser.parse(body).get(root) != simdjson::SUCCESS) {
    return status::failure("J-Quants の答えが JSON ではありません。");
  }
  simdjson::dom::array rows;
  if (root.at_key("data").get(rows) != simdjson::SUCCESS) {
    return status::failure("J-Quants の答えに data がありません。");
  }
  std::string_view key;
  if (root.at_key("pagination_key").get(key) == simdjson::SUCCESS) pagination_key = key;
  for (simdjson::dom::element row : rows) {
    simdjson::dom::object object;
    // Anything but an object in the array is no row.
    if (row.get(object) != simdjson::SUCCESS) continue;
    each(api_row(&object));
  }
  return status::ok;
}

std::string api_page_reader::message(const std::string& body) {
  simdjson::dom::object root;
  std::string_view text;
  if (impl_->parser.parse(body).get(root) != simdjson::SUCCESS ||
      root.at_key("message").get(text) != simdjson::SUCCESS) {
    return {};
  }
  return std::string(text);
}

}  // namespace karigane
