// What the page readers of prices and margin balances share: the retry-budget failures of the
// page checks, the header fields taken from a page, cutting a table's body out of the page, and
// the price and split rows of that body. Positions are a page's byte positions
// (page_markers.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/run_context.h"
#include "sources/quote_site/checked_page_fetch.h"
#include "sources/quote_site/page_markers.h"
#include "timeseries/price_table.h"

namespace karigane {

// A page refused by the verification: "株価情報はありませんでした".
page_reading refused_price_page(page_verdict verdict);

// The program code that a site code found on a page stands for.
std::string page_program_code(std::string_view site_code_text);

// The program code a page writes after the marker `code_marker` (its first place at or after
// `from`, e.g. "code=") up to the next "."; `code_start`, when given, gets the position after
// the marker. False when the marker or the "." is missing.
bool code_before_dot(const page_markers& page, std::size_t code_marker, std::size_t from,
                     std::string& page_code, std::size_t* code_start = nullptr);

// True for the program's index codes (numeric value at most 1004).
bool is_index_code(const std::string& code);

// The marker that shows an index's page: "value=998407" for 1001 (and so on).
std::string index_code_marker(const std::string& code);

// "1001" when the page carries its index code marker (`index_marker`, made by
// index_code_marker), else "not 1001"; `position` gets the marker's position (0 when absent).
std::string index_page_code(const page_markers& page, std::size_t index_marker,
                            const std::string& code, std::size_t* position = nullptr);

// The header fields of both tables from a page: code, market name (never for the index
// codes; kept when the page shows none) and the cleaned stock name.
void set_price_page_header(jikeiretu_data_t& prices, bunkatu_list_t& splits,
                           const std::string& page_code, const std::string& market,
                           const std::string& name);

// Ends a page's reading with its table: the rows from the first "<TR" after the column head
// `head_marker` (">終値<", ">信用倍率<") through the character after the last "</TR" before
// the first `table_end_marker` ("</TBODY") after that row go to `read_rows`, and the page is
// accepted; a page whose table cannot be cut out so is accepted with the failure ("error b41",
// "error b51", "error b52").
page_reading read_table(const page_markers& page, std::size_t head_marker,
                        std::size_t table_end_marker,
                        const std::function<void(std::string_view body)>& read_rows);

// The first row of a body: up to the character after its first "</TR" (without one, its first
// four characters), taken off the body.
std::string_view take_row(std::string_view& body);

// How the date cell of a price row is written.
enum class price_date_form { kanji, slash };

// "2013年1月5日" and "2013/1/5" to "20130105".
std::string kanji_date_text(std::string_view cell);
std::string slash_date_text(std::string_view cell);

// Appends every price row (rows n+1, ...) and every split row ("分割" rows, m+1, ...) of the
// body and updates both headers' counts and dates.
void read_price_rows(run_context& ctx, std::string_view body, price_date_form form,
                     jikeiretu_data_t& prices, bunkatu_list_t& splits);

}  // namespace karigane
