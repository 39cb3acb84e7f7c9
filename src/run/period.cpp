// The period lists and the period check: see period.h.
#include "run/period.h"

#include <cstdio>

#include "core/text.h"

namespace karigane {

void uruu_check_sub(const std::string& year_text, std::int16_t& result) {
  const std::int64_t y = int_value(year_text);
  result = (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? kTrue : kFalse;
}

void days_in_month_sub(const std::string& year_text, const std::string& month_text,
                       std::string& result) {
  switch (int_value(month_text)) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
      result = "31";
      break;
    case 4: case 6: case 9: case 11:
      result = "30";
      break;
    case 2: {
      std::int16_t leap = kFalse;
      uruu_check_sub(year_text, leap);
      result = leap ? "29" : "28";
      break;
    }
    default:
      break;
  }
}

namespace {

std::string two_digits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

// One end of the period: the day is clamped to the month's last day, then the three trimmed
// texts joined by "/" must form a date; otherwise `out` keeps its value.
void period_end_date(const std::string& y, const std::string& m, const std::string& d, date& out) {
  std::string last;
  days_in_month_sub(trim(y), trim(m), last);
  std::string day = trim(d);
  if (!last.empty() && val(day) > val(last)) day = last;
  const auto parsed = parse_date_text(trim(y) + "/" + trim(m) + "/" + day);
  if (parsed) out = *parsed;
}

}  // namespace

period_list_items make_period_list_items(const date& today) {
  period_list_items items;
  for (int y = kFirstYear; y <= today.y; ++y) items.years.push_back(std::to_string(y));
  for (int m = 1; m <= 12; ++m) items.months.push_back(two_digits(m));
  for (int d = 1; d <= 31; ++d) items.days.push_back(two_digits(d));
  return items;
}

void preset_period_lists(control_values& c, const date& today) {
  c.yyyy_start_cmb = std::to_string(today.y);
  c.yyyy_end_cmb = std::to_string(today.y);
  c.mm_start_cmb = "01";
  c.mm_end_cmb = two_digits(today.m);
  c.dd_start_cmb = "01";
  c.dd_end_cmb = two_digits(today.d);
}

void kikan_check_sub(run_context& ctx, date& start_date, date& end_date,
                     std::int16_t& error_flag_s, std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  ctx.pump();
  const control_values& c = ctx.controls;
  const date earliest{kFirstYear, 1, 1};
  auto fail = [&](const char* message) {
    error_flag_s = kTrue;
    error_msg_s = message;
  };

  period_end_date(c.yyyy_start_cmb, c.mm_start_cmb, c.dd_start_cmb, start_date);
  if (start_date < earliest) return fail("開始年月日を確認してください。");
  period_end_date(c.yyyy_end_cmb, c.mm_end_cmb, c.dd_end_cmb, end_date);
  if (end_date < earliest) return fail("終了年月日を確認してください。");
  const date today = ctx.now().day;
  if (end_date > today) end_date = today;
  if (start_date > end_date) return fail("開始/終了年月日をご確認ください。");
}

}  // namespace karigane
