// The search page, /search/?query=1301+1332+998407+998405&ei=UTF-8&view=l1 (or view=l2): one
// table row per listed code in query order. List view 1: code, market, name (a link of class
// "ico"), the time of the last trade while the market is open (9:00 to 15:00 of a trading
// day) or its date (month/day) otherwise, the last price in <strong>, the volume. List view 2:
// code, market, name, last price (with "S高"/"S安" after it on a limit move), open, high
// (class "greenFin" on a limit-high day), low (class "redFin" on a limit-low day). A stock
// that did not trade on the newest trading day shows its last trade's date and price and
// "---" for the rest. The table ends with a footer row. No known code at all gives
// "該当する銘柄は見つかりません".
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class search_page : public page_kind {
 public:
  explicit search_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
