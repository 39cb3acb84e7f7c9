// The daily price table of the history pages: one page of a period's trading days, newest
// first, 50 rows a page, with a row for each split dated within the page's span placed above
// the price row of its day.
#pragma once

#include <string>
#include <vector>

#include "market_data.h"

namespace karigane::quote_site {

inline constexpr int kRowsPerPage = 50;

struct table_page {
  std::vector<price_row> rows;        // newest first
  std::vector<split_event> splits;    // newest first
  bool more = false;                  // older rows follow on the next page
};

// Page `page` (1 = newest) of the stock's rows in [from, to].
table_page history_table_page(const market_data& data, const stock_info& stock, const date& from,
                              const date& to, int page);

enum class row_date_form {
  kanji,  // 2013年1月4日
  slash,  // 2013/1/4
};

// The table: a head row (日付, 始値, 高値, 安値, 終値, 出来高, 調整後終値), then the rows, every
// cell's text directly between its tags. Split rows read "分割: 1株 -> 100株" and always date
// their day with 年月日; price rows use `form`.
std::string price_table_html(const table_page& page, bool index, row_date_form form,
                             const std::string& table_class);

}  // namespace karigane::quote_site
