// The old margin table page, /bt?c=2013&a=01&b=01&f=2013&d=09&e=07&g=d&s=1301&y=0&z=1301: c, a,
// b are the start's year, month and day, f, d, e the end's, s and z the code. After the
// browser's legacy serialization the page carries, in this order: id=tableName and
// class=yjXL before the name (no market name); "銘柄コード:" and the code input
// value=1301.T (value=998405.T for an index); the period table headed ">年<" with the inputs
// name=c (year, value=2013), the month select a (`value=1 selected`), the day input name=b
// whose value comes last (value=1>), and likewise name=f, select d and name=e for the end; the
// balance table with every cell's text in <SMALL> (head ">信用倍率<", rows dated
// 2013年1月4日). Index pages have the table's head and no rows. A period without weeks shows
// "この検索期間の信用残データはありません", an unknown code "信用残データはありません".
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class old_table_page : public page_kind {
 public:
  explicit old_table_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
