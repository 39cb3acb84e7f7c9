// The collection period: the six period lists (filled at start-up, preset to 1 January of this
// year through today) and the period check that turns their texts into two dates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/run_context.h"

namespace karigane {

inline constexpr int kFirstYear = 1983;

// uruu_check_sub: `result` becomes -1 for a leap year, 0 otherwise.
void uruu_check_sub(const std::string& year_text, std::int16_t& result);

// days_in_month_sub: "28", "29", "30" or "31"; unchanged for a month outside 1..12.
void days_in_month_sub(const std::string& year_text, const std::string& month_text,
                       std::string& result);

// The items of the six lists: years 1983..this year, months "01".."12", days "01".."31".
struct period_list_items {
  std::vector<std::string> years;
  std::vector<std::string> months;
  std::vector<std::string> days;
};
period_list_items make_period_list_items(const date& today);

// Presets the six list texts of `controls`: start 1 January of this year, end today.
void preset_period_lists(control_values& controls, const date& today);

// kikan_check_sub: the period of the six list texts, with impossible days clamped to the end of
// the month and a future end replaced by today. Fails with the messages of the period check.
// A text that does not form a date leaves that date as it was.
void kikan_check_sub(run_context& ctx, date& start_date, date& end_date,
                     std::int16_t& error_flag_s, std::string& error_msg_s);

}  // namespace karigane
