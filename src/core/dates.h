// Calendar dates of the collection period and the data files: yyyymmdd and yyyy/mm/dd texts,
// day arithmetic, the Gregorian leap-year rule, and the clock (settable for tests).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace karigane {

struct date {
  int y = 0;
  int m = 0;
  int d = 0;

  bool empty() const { return y == 0; }
  friend bool operator==(const date&, const date&) = default;
  friend auto operator<=>(const date&, const date&) = default;
};

bool is_leap_year(int y);
int days_in_month(int y, int m);  // 0 for a month outside 1..12

// Days since 1970-01-01 and back.
long days_from_civil(const date& d);
date civil_from_days(long days);
date add_days(const date& d, long days);
long days_between(const date& from, const date& to);  // to - from

std::string yyyymmdd(const date& d);    // "20130105"
std::string slash_text(const date& d);  // "2013/01/05"

// The date of a text such as "2013/1/5", "2013/01/05" or "2013-1-5": three numbers
// separated by "/" or "-", forming a real calendar date; nothing otherwise.
std::optional<date> parse_date_text(std::string_view text);

// "20130105" to a date; nothing when it is not eight digits of a real date.
std::optional<date> parse_yyyymmdd(std::string_view text);

struct local_time {
  date day;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The system's local time.
local_time system_now();

// "2014-11-27 16:30:05": the time stamp of log and progress lines.
std::string time_stamp_text(const local_time& t);

// "2014-11-27T10:35" or "2014-11-27 10:35[:ss]" or "2014/11/27 10:35"; nothing otherwise.
std::optional<local_time> parse_local_time(std::string_view text);

}  // namespace karigane
