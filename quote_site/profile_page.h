// The company-profile statement pages /independent/CODE ("単独決算"), /consolidate/CODE
// ("連結決算") and /interim/CODE ("中間決算"). After the browser's legacy serialization a page
// carries, in this order: "id=hrFinanceSearch" with the heading "class=yjL" holding the
// company name (followed by "【CODE】" for odd codes), then "関連情報" and a link ending in
// "code=CODE\">"; the three kind tabs, images with "alt=単独決算", "alt=連結決算" and
// "alt=中間決算"; the statement table whose first row is labelled "決算期", one row per item in
// the kind's order, one column per period, newest first (three columns, two on the interim
// page), cells such as 2013年3月期, 2013年5月10日, 12か月, 1,234百万円, 45.60円, 12,345千株,
// 12.3%, "---" for a figure not shown, and "‐" in every cell of a column without a period.
// A company without statements of the kind, or any other stock, shows the same heading with
// "ページが見つかりません"; a code the site does not know gives a bare not-found page.
#pragma once

#include "financial_statements.h"
#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class profile_page : public page_kind {
 public:
  profile_page(const market_data& data, statement_kind kind) : data_(data), kind_(kind) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
  statement_kind kind_;
};

}  // namespace karigane::quote_site
