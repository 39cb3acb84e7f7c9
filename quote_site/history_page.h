// The daily-price history page, /history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d
// (p=2 for the next 50 rows). After the browser's legacy serialization the page carries, in
// this order: a link titled 株価詳細 followed by a link with "code=" + site code + "."
// (code=1301.T, code=998407.O); "<H1>" with the name; "yjSb" before the market name; on index
// pages "value=" + site code; the period selects id=selYear, id=selMonth, id=selDay for the
// start and again for the end, each chosen option written `selected value=`; the price table
// with the column head 終値, rows dated 2013年1月4日 and split rows "分割: 1株 -&gt; 100株".
// A period without trading days shows "該当する期間のデータはありません", an unknown code
// "該当する銘柄はありません".
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class history_page : public page_kind {
 public:
  explicit history_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
