// The margin history page, /history/margin/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=09&ed=07&tm=d.
// After the browser's legacy serialization the page carries, in this order: a link titled
// 株価詳細 followed by a link with "code=" + site code + "." (code=1301.T, code=998405.T);
// "<H1>" with the name; "yjSb" before the market name; the hidden code input value=1301.T
// (value=998405.T on index pages); the period selects id=selYear, id=selMonth, id=selDay for
// the start and again for the end, each chosen option written `selected value=`; a heading
// 詳細情報 followed by links with "code="; the balance table with the column head 信用倍率 and
// rows dated 2013年1月4日. Index pages have the table's head and no rows. A period without
// weeks shows "該当する期間のデータはありません", an unknown code "該当する銘柄はありません".
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class margin_history_page : public page_kind {
 public:
  explicit margin_history_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
