// Dates and the clock: see dates.h.
#include "core/dates.h"

#include <cstdio>
#include <ctime>

#include "core/text.h"

namespace karigane {

bool is_leap_year(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int days_in_month(int y, int m) {
  switch (m) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 4: case 6: case 9: case 11: return 30;
    case 2: return is_leap_year(y) ? 29 : 28;
    default: return 0;
  }
}

// Howard Hinnant's days_from_civil / civil_from_days.
long days_from_civil(const date& dt) {
  long y = dt.y;
  const long m = dt.m;
  const long d = dt.d;
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

date civil_from_days(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long y = yoe + era * 400;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp + (mp < 10 ? 3 : -9);
  return date{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

date add_days(const date& d, long days) { return civil_from_days(days_from_civil(d) + days); }

long days_between(const date& from, const date& to) {
  return days_from_civil(to) - days_from_civil(from);
}

std::string time_stamp_text(const local_time& t) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.day.y, t.day.m, t.day.d,
                t.hour, t.minute, t.second);
  return buf;
}

std::string yyyymmdd(const date& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.y % 10000, d.m % 100, d.d % 100);
  return buf;
}

std::string slash_text(const date& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.y % 10000, d.m % 100, d.d % 100);
  return buf;
}

namespace {

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::optional<date> make_date(long y, long m, long d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
  if (d > days_in_month(static_cast<int>(y), static_cast<int>(m))) return std::nullopt;
  return date{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

}  // namespace

std::optional<date> parse_date_text(std::string_view text) {
  const std::string t = trim(text);
  long parts[3] = {0, 0, 0};
  std::size_t from = 0;
  for (int i = 0; i < 3; ++i) {
    std::size_t end = t.find_first_of("/-", from);
    if (i == 2) end = t.size();
    if (end == std::string::npos) return std::nullopt;
    const std::string piece = trim(std::string_view(t).substr(from, end - from));
    if (!all_digits(piece) || piece.size() > 4) return std::nullopt;
    parts[i] = std::stol(piece);
    from = end + 1;
  }
  return make_date(parts[0], parts[1], parts[2]);
}

std::optional<date> parse_yyyymmdd(std::string_view text) {
  if (text.size() != 8 || !all_digits(text)) return std::nullopt;
  const long y = std::stol(std::string(text.substr(0, 4)));
  const long m = std::stol(std::string(text.substr(4, 2)));
  const long d = std::stol(std::string(text.substr(6, 2)));
  return make_date(y, m, d);
}

local_time system_now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return local_time{date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}, tm.tm_hour, tm.tm_min,
                    tm.tm_sec};
}

std::optional<local_time> parse_local_time(std::string_view text) {
  const std::string t = trim(text);
  std::size_t split = t.find_first_of("T ");
  if (split == std::string::npos) return std::nullopt;
  const auto day = parse_date_text(std::string_view(t).substr(0, split));
  if (!day) return std::nullopt;
  int h = 0;
  int m = 0;
  int s = 0;
  const std::string clock = t.substr(split + 1);
  const int n = std::sscanf(clock.c_str(), "%d:%d:%d", &h, &m, &s);
  if (n < 2 || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
  return local_time{*day, h, m, n == 3 ? s : 0};
}

}  // namespace karigane
