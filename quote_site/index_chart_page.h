// The index chart page, /fisco/cgi-bin/index.cgi: a chart image with an image map of the
// Nikkei average's last 60 trading days, one area a day, oldest first, each carrying
// "YYYY/MM/DD|open|high|low|close|volume|" in the argument of its onmouseover handler. The
// newest trading day appears only after the close (15:30).
#pragma once

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

class index_chart_page : public page_kind {
 public:
  explicit index_chart_page(const market_data& data) : data_(data) {}

  std::vector<std::string> codes(const page_query& query) const override;
  page_answer render(const page_query& query, content_fault fault) const override;

 private:
  const market_data& data_;
};

}  // namespace karigane::quote_site
