// The collection period: the six period lists (filled at start-up, preset to 1 January of this
// year through today) and the period check that turns their texts into two dates.
#pragma once

#include <string>
#include <vector>

#include "core/dates.h"
#include "core/status.h"
#include "core/stored_continuation.h"
#include "kinds/collection_request.h"

namespace karigane {

inline constexpr int kFirstYear = 1983;

// "28", "29", "30" or "31" for the month of the texts (their numeric values); "" for a month
// outside 1..12.
std::string days_in_month_text(const std::string& year_text, const std::string& month_text);

// The items of the six lists: years 1983..this year, months "01".."12", days "01".."31".
struct period_list_items {
  std::vector<std::string> years;
  std::vector<std::string> months;
  std::vector<std::string> days;
};
period_list_items make_period_list_items(const date& today);

// The lists' preset: start 1 January of this year, end today.
period_texts preset_period(const date& today);

// What the period check made of the texts.
struct checked_period {
  // failed with "開始年月日を確認してください。", "終了年月日を確認してください。" or
  // "開始/終了年月日をご確認ください。"
  status outcome;
  // Impossible days clamped to the end of the month, a future end replaced by today. A text
  // that does not form a date leaves its date empty; a refused period keeps what was found, and
  // the run goes on with it.
  collection_period period;
};

checked_period check_period(const period_texts& texts, const date& today);

}  // namespace karigane
