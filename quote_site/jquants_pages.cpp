// API pages and pagination keys: see jquants_pages.h.
#include "jquants_pages.h"

#include <charconv>

#include "deterministic_random.h"

namespace karigane::quote_site {
namespace {

std::string hex(std::uint64_t v) {
  char text[17];
  const auto r = std::to_chars(text, text + sizeof text, v, 16);
  return std::string(text, r.ptr);
}

std::uint64_t check_of(std::uint64_t identity, std::uint64_t first) {
  return hash_of({identity, first, text_key("pagination check")});
}

std::string make_key(std::uint64_t identity, std::size_t first) {
  return hex(first ^ mix64(identity)) + "." + hex(check_of(identity, first)) + ".";
}

}  // namespace

std::uint64_t query_identity(std::string_view path, const param_map& params) {
  std::uint64_t h = text_key(path);
  for (const auto& [key, value] : params) {
    if (key != "pagination_key") h = hash_of({h, text_key(key), text_key(value)});
  }
  return h;
}

page_of_rows cut_page(std::span<const std::string> rows, std::size_t first, std::size_t page_rows,
                      std::uint64_t identity) {
  page_of_rows page;
  page.first = std::min(first, rows.size());
  page.end = page.first;
  std::size_t bytes = 64;
  while (page.end < rows.size()) {
    if (page_rows > 0 ? page.end - page.first >= page_rows
                      : page.end > page.first && bytes + rows[page.end].size() > kPageBytes) {
      break;
    }
    bytes += rows[page.end].size() + 2;
    ++page.end;
  }
  if (page.end < rows.size()) page.next_key = make_key(identity, page.end);
  return page;
}

bool read_pagination_key(std::string_view key, std::uint64_t identity, std::size_t& first) {
  const auto dot = key.find('.');
  if (dot == std::string_view::npos || key.size() < dot + 2 || key.back() != '.') return false;
  std::uint64_t masked = 0;
  std::uint64_t check = 0;
  const std::string_view a = key.substr(0, dot);
  const std::string_view b = key.substr(dot + 1, key.size() - dot - 2);
  const auto ra = std::from_chars(a.data(), a.data() + a.size(), masked, 16);
  const auto rb = std::from_chars(b.data(), b.data() + b.size(), check, 16);
  if (ra.ec != std::errc() || ra.ptr != a.data() + a.size() || rb.ec != std::errc() ||
      rb.ptr != b.data() + b.size()) {
    return false;
  }
  const std::uint64_t row = masked ^ mix64(identity);
  if (check != check_of(identity, row)) return false;
  first = static_cast<std::size_t>(row);
  return true;
}

}  // namespace karigane::quote_site
