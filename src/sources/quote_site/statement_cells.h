// The normalisation of one cell of a statement page: fiscal periods and announcement dates to
// digits, units and thousands separators removed from figures. A cell a conversion cannot
// read stays as it was.
#pragma once

#include <string>

#include "core/text.h"
#include "financial/statement_kinds.h"
#include "sources/quote_site/statement_pages.h"

namespace karigane {

// 2013年3月期 -> 20130300; "---" without "月" or with "‐" (U+2010).
u32 fiscal_period_cell(u32v cell);

// 2013年5月10日 -> 20130510; "---" without "月" or with "‐".
u32 announcement_date_cell(u32v cell);

// 12か月 -> 12.
u32 months_cell(u32v cell);

// 1,234百万円 -> 1234, 45.6円 -> 45.6, "---" stays.
u32 amount_cell(u32v cell);

// 12,345千株 -> 12345.
u32 share_count_cell(u32v cell);

// 12.3% -> 12.3.
u32 percent_cell(u32v cell);

u32 convert_cell(u32v cell, cell_conversion conversion);

}  // namespace karigane
