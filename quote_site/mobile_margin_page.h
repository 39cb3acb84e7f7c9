// The mobile margin page, /stock/historicaldata/margin?code=1301.T&fy=2013&fm=1&fd=1&ty=2013&tm=9&td=7
// (a bare "1301." is read as 1301): the stock's title with its market in （）, the period
// selects fy, fm, fd, ty, tm, td, and the balance table with rows dated 2013/1/4. Index pages
// have the table's head and no rows; a period without weeks shows "検索期間の信用残データは
// ありません", an unknown code "指定されたページは存在しません".
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class mobile_margin_page : public page_kind {
 public:
  explicit mobile_margin_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
