// The texts of requests: see collection_request.h.
#include "kinds/collection_request.h"

namespace karigane {

std::string period_texts::text() const {
  return start_year + "/" + start_month + "/" + start_day + "～" + end_year + "/" + end_month +
         "/" + end_day;
}

std::string request_text(const collection_request& r) {
  std::string text;
  switch (r.codes.mode) {
    case selection_mode::single:
      text += " 個別指定 " + r.codes.first;
      break;
    case selection_mode::table:
      text += " テーブル指定";
      break;
    case selection_mode::range:
      text += " 範囲指定 " + r.codes.first + "～" + r.codes.last;
      break;
  }
  for (const data_kind& k : data_kinds()) {
    if (r.kinds.has(k.id)) text += std::string(" ") + k.name;
  }
  if (r.yearly) text += " 年毎";
  if (period_applies(r.kinds)) text += " 期間 " + r.period.text();
  return text;
}

}  // namespace karigane
