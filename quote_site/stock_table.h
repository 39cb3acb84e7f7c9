// The stocks and indexes the quote site knows: program code, market letter, market name, name
// and, for a stock listed or delisted within the data set's span, its first and last trading
// days; from the factory stock list (CP932, count line first) or from a stocks.csv of a data
// folder (UTF-8, header line, code,market_letter,market_name,name[,listed,last_trading_day]).
// The table is in code order (site_codes.h).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/dates.h"

namespace karigane::quote_site {

struct stock_info {
  std::string code;           // program code: "1301", index "1001"
  std::string market_letter;  // "t", "o", ...
  std::string market_name;    // "東証1部"
  std::string name;
  date listed{};    // the first trading day; empty: listed before the data set begins
  date last_day{};  // the last trading day before a delisting; empty: still listed

  // Listed on day `d`: on or after its listing, on or before its last trading day.
  bool listed_on(const date& d) const;
  // The program's index codes 1001-1004.
  bool is_index() const;
  // The code the site uses: "1301", index 1001 -> "998407".
  std::string site_code() const;
  // The site code with the market suffix, as pages and links carry it: "1301.T", "998407.O".
  std::string site_code_with_market() const;
};

class stock_table {
 public:
  // Adds a stock, or replaces the one with the same code; the table stays in code order.
  void add(stock_info info);

  const stock_info* find(std::string_view program_code) const;
  const std::vector<stock_info>& all() const { return stocks_; }
  bool empty() const { return stocks_.empty(); }

  // Another entry of the same kind (index or stock) listed on `day`: the next one in code
  // order, wrapping around; the entry itself when there is no other.
  const stock_info& other_than(const stock_info& info, const date& day) const;

 private:
  std::vector<stock_info> stocks_;
  std::unordered_map<std::string, std::size_t> by_code_;
};

// The factory list meigara_list_org.csv: a count line, then code, letter, market, name.
bool load_factory_stock_list(const std::string& path, stock_table& table, std::string& error);

// A stocks.csv (a data folder's, or the factory set's listings): header line, then
// code,market_letter,market_name,name and optionally listed,last_trading_day (yyyymmdd, or
// empty), UTF-8. A code already in the table is replaced.
bool load_stock_csv(const std::string& path, stock_table& table, std::string& error);

}  // namespace karigane::quote_site
