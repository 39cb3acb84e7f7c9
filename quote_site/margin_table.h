// The balance table of the margin pages: a head row (日付, 売残, 買残, 売残前週比, 買残前週比,
// 信用倍率), then one row per week, newest first, figures with thousands separators. The old
// table page writes every cell's text in <small>.
#pragma once

#include <string>
#include <vector>

#include "margin_balances.h"
#include "price_table.h"

namespace karigane::quote_site {

enum class margin_cells { plain, small };

std::string margin_table_html(const std::vector<margin_week>& weeks, row_date_form form,
                              margin_cells cells, const std::string& table_class);

}  // namespace karigane::quote_site
