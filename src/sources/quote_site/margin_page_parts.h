// What the two margin-page extractors share: the verification failures and their effect on
// the retry budget, the stock name, the balance table's rows, and storing a page's header
// fields.
#pragma once

#include <string>

#include "core/run_context.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "margin/credit_table.h"
#include "sources/quote_site/history_page_parts.h"

namespace karigane {

inline constexpr const char* kNoMarginInformation = "信用売買残情報はありませんでした";

// A page that is not the one asked for, refused with `message`; a capped refusal (no such
// stock, no code on the page) is fetched at most three times.
page_reading refused_margin_page(run_context& ctx, page_verdict verdict,
                                 const char* message = kNoMarginInformation);

enum class name_result { ok, no_first_marker, no_second_marker };

// The stock name: after the first place of `first_marker`, after the next place of
// `second_marker`, the text from the next ">" up to the following "<", trimmed and cleaned as
// every extractor cleans names.
name_result read_stock_name(const page_markers& page, std::size_t first_marker,
                            std::size_t second_marker, std::string& name);

// How a balance cell carries its text: directly, or inside <SMALL>...</SMALL>.
enum class cell_form { plain, small };

// Appends one row per table row of the body at count+1, ...: the date of cell 1 (written with
// 年, 月, 日) and cells 2, 3 and 6 without their ","; a row with fewer cells leaves the missing
// fields empty. The header's count follows.
void read_margin_rows(run_context& ctx, std::string_view body, cell_form form,
                      credit_tbl_t& credit_tbl);

// Header fields from a page: the code; for an index code the count becomes "0" and the market
// empty (indexes have no margin balances), for a stock the market and name are the page's.
// Returns true when rows are to be read.
bool set_margin_page_header(credit_tbl_t& credit_tbl, const std::string& page_code,
                            const std::string& market, const std::string& name);

}  // namespace karigane
