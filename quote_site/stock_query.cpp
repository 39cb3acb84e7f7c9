// Stock page queries: see stock_query.h.
#include "stock_query.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/text.h"
#include "site_codes.h"

namespace karigane::quote_site {
namespace {

std::optional<int> whole_number(std::string_view text) {
  const std::string t = trim(text);
  int v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
  return v;
}

date clamp_date(int y, int m, int d) {
  y = std::clamp(y, 1, 9999);
  m = std::clamp(m, 1, 12);
  d = std::clamp(d, 1, days_in_month(y, m));
  return {y, m, d};
}

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2100;

}  // namespace

std::string page_query::get(std::string_view key) const {
  const auto it = params.find(key);
  return it == params.end() ? std::string() : it->second;
}

std::string program_code_param(std::string_view value) {
  std::string code = trim(value);
  const auto dot = code.find('.');
  if (dot != std::string::npos) code.resize(dot);
  return program_code_of_site(code);
}

date shown_period::from() const { return clamp_date(y1, m1, d1); }
date shown_period::to() const { return clamp_date(y2, m2, d2); }

shown_period shown_period::shifted_years(int years) const {
  shown_period p = *this;
  p.y1 += years;
  p.y2 += years;
  return p;
}

shown_period read_period(const page_query& query, const std::array<const char*, 6>& keys,
                         const date& today) {
  std::array<int, 6> v{};
  bool complete = true;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto n = whole_number(query.get(keys[i]));
    if (!n) {
      complete = false;
      break;
    }
    v[i] = *n;
  }
  if (!complete) {
    const date start = add_days(today, -30);
    return {start.y, start.m, start.d, today.y, today.m, today.d};
  }
  // Out-of-range numbers are brought inside the selects' ranges, so that a hostile query
  // cannot ask for a select of a billion years and every select keeps a chosen option.
  const int y1 = std::clamp(v[0], kFirstYear, kLastYear);
  const int y2 = std::clamp(v[3], kFirstYear, kLastYear);
  return {y1, std::clamp(v[1], 1, 12), std::clamp(v[2], 1, 31),
          y2, std::clamp(v[4], 1, 12), std::clamp(v[5], 1, 31)};
}

int page_number(const page_query& query) {
  const auto n = whole_number(query.get("p"));
  return (n && *n >= 1) ? *n : 1;
}

}  // namespace karigane::quote_site
