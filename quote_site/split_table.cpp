// Split events: see split_table.h.
#include "split_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/text.h"
#include "data_csv.h"

namespace karigane::quote_site {
namespace {

// Share counts of reverse splits go down to 0.001.
std::optional<double> positive_number(std::string_view text) {
  const std::string t = trim(text);
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || !(v > 0) ||
      !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

}  // namespace

void split_table::add(const std::string& code, split_event event) {
  auto& events = by_code_[code];
  const auto pos = std::lower_bound(
      events.begin(), events.end(), event.day,
      [](const split_event& e, const date& d) { return e.day < d; });
  if (pos != events.end() && pos->day == event.day) {
    *pos = std::move(event);
  } else {
    events.insert(pos, std::move(event));
  }
}

std::span<const split_event> split_table::of(std::string_view code) const {
  const auto it = by_code_.find(std::string(code));
  if (it == by_code_.end()) return {};
  return it->second;
}

bool make_split_event(const date& day, std::string_view before, std::string_view after,
                      split_event& event) {
  const auto b = positive_number(before);
  const auto a = positive_number(after);
  if (!b || !a) return false;
  event.day = day;
  event.before = trim(before);
  event.after = trim(after);
  event.ratio = *a / *b;
  return true;
}

bool load_split_csv(const std::string& path, split_table& table, std::string& error) {
  return read_csv_file(path, "code,date,before,after (date yyyymmdd, positive share counts)", error,
                       [&](const auto& f) {
                         split_event event;
                         const auto day = f.size() >= 4 ? parse_yyyymmdd(f[1]) : std::nullopt;
                         if (!day || f[0].empty() || !make_split_event(*day, f[2], f[3], event)) {
                           return false;
                         }
                         table.add(f[0], std::move(event));
                         return true;
                       });
}

}  // namespace karigane::quote_site
