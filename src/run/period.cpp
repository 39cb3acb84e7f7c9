// The period lists and the period check: see period.h.
#include "run/period.h"

#include <cstdio>

#include "core/text.h"

namespace karigane {
namespace {

std::string two_digits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

// One end of the period: the day is clamped to the month's last day, then the three trimmed
// texts joined by "/" must form a date; otherwise `out` keeps its value.
void period_end_date(const std::string& y, const std::string& m, const std::string& d, date& out) {
  const std::string last = days_in_month_text(trim(y), trim(m));
  std::string day = trim(d);
  if (!last.empty() && val(day) > val(last)) day = last;
  const auto parsed = parse_date_text(trim(y) + "/" + trim(m) + "/" + day);
  if (parsed) out = *parsed;
}

}  // namespace

std::string days_in_month_text(const std::string& year_text, const std::string& month_text) {
  switch (int_value(month_text)) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
      return "31";
    case 4:
    case 6:
    case 9:
    case 11:
      return "30";
    case 2: {
      const std::int64_t y = int_value(year_text);
      return (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? "29" : "28";
    }
    default:
      return {};
  }
}

period_list_items make_period_list_items(const date& today) {
  period_list_items items;
  for (int y = kFirstYear; y <= today.y; ++y) items.years.push_back(std::to_string(y));
  for (int m = 1; m <= 12; ++m) items.months.push_back(two_digits(m));
  for (int d = 1; d <= 31; ++d) items.days.push_back(two_digits(d));
  return items;
}

period_texts preset_period(const date& today) {
  return {std::to_string(today.y), "01", "01", std::to_string(today.y), two_digits(today.m),
          two_digits(today.d)};
}

checked_period check_period(const period_texts& t, const date& today) {
  checked_period r;
  const date earliest{kFirstYear, 1, 1};
  period_end_date(t.start_year, t.start_month, t.start_day, r.period.start);
  if (r.period.start < earliest) {
    r.outcome = status::failure("開始年月日を確認してください。");
    return r;
  }
  period_end_date(t.end_year, t.end_month, t.end_day, r.period.end);
  if (r.period.end < earliest) {
    r.outcome = status::failure("終了年月日を確認してください。");
    return r;
  }
  if (r.period.end > today) r.period.end = today;
  if (r.period.start > r.period.end)
    r.outcome = status::failure("開始/終了年月日をご確認ください。");
  return r;
}

}  // namespace karigane
