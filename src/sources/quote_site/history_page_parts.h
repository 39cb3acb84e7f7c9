// What the two history-page extractors share: the retry-budget failures of the page checks,
// the header fields taken from a page, cutting the price table's body out of the page, and the
// price and split rows of that body.
#pragma once

#include <string>

#include "core/run_context.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "core/text.h"
#include "timeseries/price_table.h"

namespace karigane {

// A page refused by the verification: "株価情報はありませんでした".
page_reading refused_price_page(page_verdict verdict);

// The program code that a site code found on a page stands for.
std::string page_program_code(u32v site_code_text);

// The program code a page writes after `code_marker` (searched from `from`, e.g. "code=") up
// to the next "."; `code_start`, when given, gets the position after the marker. False when
// the marker or the "." is missing.
bool code_before_dot(u32v page, std::size_t from, u32v code_marker, std::string& page_code,
                     std::size_t* code_start = nullptr);

// True for the program's index codes (numeric value at most 1004).
bool is_index_code(const std::string& code);

// "1001" when the page carries "value=998407" (and so on), else "not 1001"; `position` gets
// the marker's 1-based position (0 when absent).
std::string index_page_code(u32v page, const std::string& code, std::size_t* position = nullptr);

// The header fields of both tables from a page: code, market name (never for the index
// codes; kept when the page shows none) and the cleaned stock name.
void set_price_page_header(jikeiretu_data_t& prices, bunkatu_list_t& splits,
                           const std::string& page_code, const std::string& market,
                           const std::string& name);

enum class body_cut { ok, b41, b51, b52 };

// The price table's rows: from the first "<TR" after ">終値<" through the ">" of the last
// "</TR" before "</TBODY".
body_cut cut_price_table_body(u32v page, u32v& body);

// How the date cell of a price row is written.
enum class price_date_form { kanji, slash };

// "2013年1月5日" and "2013/1/5" to "20130105".
std::string kanji_date_text(u32v cell);
std::string slash_date_text(u32v cell);

// Appends every price row (rows n+1, ...) and every split row ("分割" rows, m+1, ...) of the
// body and updates both headers' counts and dates.
void read_price_rows(run_context& ctx, u32v body, price_date_form form, jikeiretu_data_t& prices,
                     bunkatu_list_t& splits);

// The history-page and mobile-page message texts of the body cut failures.
const char* body_cut_message(body_cut cut);

}  // namespace karigane
