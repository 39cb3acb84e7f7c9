// What a run is asked to do, as explicit values that each front end builds from its own input
// (the window from its controls, the command line from its options) and hands down: which
// stocks, which kinds, which period, and how. Nothing below the front ends reads a control.
#pragma once

#include <optional>
#include <string>

#include "kinds/data_kinds.h"

namespace karigane {

// How the targets are chosen: one code, the code table download_code.csv, or a range.
enum class selection_mode { single = 0, table = 1, range = 2 };

struct code_selection {
  selection_mode mode = selection_mode::single;
  std::string first = "1301";  // the code, or the range's first code, as the person gave it
  std::string last = "9999";   // the range's last code
};

// The period as the six lists give it: year, month and day texts of its start and its end.
// The period check turns them into dates (a day beyond the month's end is its last day).
struct period_texts {
  std::string start_year, start_month, start_day;
  std::string end_year, end_month, end_day;
  // "2013/1/1～2013/2/19", as the failure tally and the run log name a period.
  std::string text() const;
};

struct collection_request {
  code_selection codes;
  kind_set kinds = kind_set::at_start();
  period_texts period;
  bool since_stored = false;  // "保存データの続きから": each stock from the day after its rows
  bool yearly = false;        // "年毎": one file per stock and year as well
  std::optional<source_id> source;  // empty: the settings' "データ取得元"
};

struct update_request {
  bool latest_file = false;  // "最新日株価": the latest-day file as well
  bool catch_up = false;  // "保存データの続きから": the gaps before the latest day first
  std::optional<source_id> source;
};

struct adjust_request {
  bool from_yearly = false;  // "年毎から計算"
};

// The request in the words of the window's controls, for the run log:
// " 個別指定 1301 時系列株価 年毎 期間 2013/1/1～2013/2/19".
std::string request_text(const collection_request& request);

}  // namespace karigane
