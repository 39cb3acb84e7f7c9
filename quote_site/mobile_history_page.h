// The mobile daily-price history page,
// /stock/historicaldata?code=1301.T&fy=2013&fm=1&fd=1&ty=2013&tm=2&td=19&cp=d (p=2 for the next
// 50 rows). After the browser's legacy serialization the page carries, in this order:
// "id=content"; "class=title>" and a link with "code=" + site code + "." (code=1301.T), the
// name right after that link's tag and the market in full-width parentheses (（東証1部）); on
// index pages a radio input "value=" + site code (value=998407) followed directly by the
// index's name, then the market in full-width parentheses; the period selects written
// `name=fy> <OPTION` ... `name=td> <OPTION`, each chosen option `value=2013 selected>`; the
// price table with the column head 終値, price rows dated 2013/1/4 and split rows dated
// 2013年1月4日. A period without trading days shows "検索期間の価格データはありません", an
// unknown code "ページは存在しません".
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class mobile_history_page : public page_kind {
 public:
  explicit mobile_history_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
