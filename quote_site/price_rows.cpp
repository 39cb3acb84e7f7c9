// Real price files: see price_rows.h.
#include "price_rows.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/text.h"
#include "data_csv.h"

namespace karigane::quote_site {

bool parse_hundredths(std::string_view text, std::int64_t& out) {
  const std::string t = trim(text);
  if (t.empty()) return false;
  for (char c : t) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')) return false;
  }
  double v = 0;
  const char* first = t.data() + (t.front() == '+' ? 1 : 0);
  const auto r = std::from_chars(first, t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v) ||
      std::fabs(v) > 1e15) {
    return false;
  }
  out = std::llround(v * 100.0);
  return true;
}

bool load_price_csv(const std::string& path, std::vector<price_row>& rows, std::string& error) {
  rows.clear();
  const bool read = read_csv_file(
      path, "date,open,high,low,close,volume (date yyyymmdd)", error, [&](const auto& f) {
        price_row row;
        std::int64_t volume_hundredths = 0;
        const auto day = f.size() >= 6 ? parse_yyyymmdd(f[0]) : std::nullopt;
        if (!day || !parse_hundredths(f[1], row.open) || !parse_hundredths(f[2], row.high) ||
            !parse_hundredths(f[3], row.low) || !parse_hundredths(f[4], row.close) ||
            !parse_hundredths(f[5], volume_hundredths)) {
          return false;
        }
        row.day = *day;
        row.volume = volume_hundredths / 100;
        rows.push_back(row);
        return true;
      });
  if (!read) return false;
  std::stable_sort(rows.begin(), rows.end(),
                   [](const price_row& a, const price_row& b) { return a.day < b.day; });
  // A repeated date keeps its last row.
  std::vector<price_row> unique_rows;
  unique_rows.reserve(rows.size());
  for (const price_row& r : rows) {
    if (!unique_rows.empty() && unique_rows.back().day == r.day) {
      unique_rows.back() = r;
    } else {
      unique_rows.push_back(r);
    }
  }
  rows = std::move(unique_rows);
  return true;
}

}  // namespace karigane::quote_site
