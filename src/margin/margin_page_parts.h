// What the two margin-page extractors share: the verification failures and their effect on
// the retry budget, the stock name, the balance table's rows, and storing a page's header
// fields.
#pragma once

#include <cstdint>
#include <string>

#include "core/run_context.h"
#include "core/text.h"
#include "margin/credit_table.h"
#include "timeseries/history_page_parts.h"

namespace karigane {

inline constexpr const char* kNoMarginInformation = "信用売買残情報はありませんでした";

// A page that is not the one asked for: flag -1, `message`, one less in the retry budget; a
// capped failure (no such stock, no code on the page) first lowers the budget to 3, so that
// such a page is fetched at most three times.
void margin_capped_failure(run_context& ctx, std::int16_t& error_loop_no_s,
                           std::int16_t& error_flag_s, std::string& error_msg_s);
void margin_plain_failure(run_context& ctx, std::int16_t& error_loop_no_s,
                          std::int16_t& error_flag_s, std::string& error_msg_s,
                          const char* message = kNoMarginInformation);

enum class name_result { ok, no_first_marker, no_second_marker };

// The stock name: after `first_marker`, after `second_marker`, the text from the next ">" up
// to the following "<", trimmed and cleaned as every extractor cleans names.
name_result read_stock_name(u32v page, u32v first_marker, u32v second_marker, std::string& name);

// The balance table's rows: from the first "<TR" after the column head ">信用倍率<" through
// the ">" of the last "</TR" before "</TBODY". The failures are the history pages' b41..b52.
body_cut cut_margin_table_body(u32v page, u32v& body);

// How a balance cell carries its text: directly, or inside <SMALL>...</SMALL>.
enum class cell_form { plain, small };

// Appends one row per table row of the body at count+1, ...: the date of cell 1 (written with
// 年, 月, 日) and cells 2, 3 and 6 without their ","; a row with fewer cells leaves the missing
// fields empty. The header's count follows.
void read_margin_rows(run_context& ctx, u32v body, cell_form form, credit_tbl_t& credit_tbl);

// Header fields from a page: the code; for an index code the count becomes "0" and the market
// empty (indexes have no margin balances), for a stock the market and name are the page's.
// Returns true when rows are to be read.
bool set_margin_page_header(credit_tbl_t& credit_tbl, const std::string& page_code,
                            const std::string& market, const std::string& name);

}  // namespace karigane
