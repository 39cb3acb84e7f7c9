// The stock and period of a stock page: see page_subject.h.
#include "page_subject.h"

namespace karigane::quote_site {

std::optional<page_subject> page_subject_of(const market_data& data, const page_query& query,
                                            std::string_view code_key,
                                            const std::array<const char*, 6>& period_keys,
                                            content_fault fault) {
  const stock_info* stock = data.find(program_code_param(query.get(code_key)));
  if (stock == nullptr || fault == content_fault::no_stock) return std::nullopt;
  page_subject subject;
  subject.stock = fault == content_fault::wrong_stock ? &data.stocks().other_than(*stock, data.today()) : stock;
  subject.period = read_period(query, period_keys, data.today());
  if (fault == content_fault::wrong_period) subject.period = subject.period.shifted_years(-1);
  return subject;
}

}  // namespace karigane::quote_site
