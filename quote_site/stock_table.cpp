// The quote site's stock table: see stock_table.h.
#include "stock_table.h"

#include <algorithm>

#include "core/file_store.h"
#include "core/text.h"
#include "data_csv.h"
#include "site_codes.h"

namespace karigane::quote_site {
namespace {

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// An optional date column: absent or empty gives an empty date.
bool optional_day(const std::vector<std::string>& fields, std::size_t i, date& out) {
  if (i >= fields.size() || trim(fields[i]).empty()) return true;
  const auto d = parse_yyyymmdd(trim(fields[i]));
  if (d) out = *d;
  return d.has_value();
}

constexpr std::string_view kStockForm =
    "code,market_letter,market_name,name[,listed,last_trading_day] with a stock code (1 to 4 "
    "digits, or 4 characters such as 130A) and yyyymmdd dates";

csv_row_reader stock_rows_into(stock_table& table) {
  return [&table](const std::vector<std::string>& fields) {
    stock_info info;
    if (fields.size() < 4 || !is_stock_code(fields[0]) || !optional_day(fields, 4, info.listed) ||
        !optional_day(fields, 5, info.last_day)) {
      return false;
    }
    info.code = fields[0];
    info.market_letter = fields[1];
    info.market_name = fields[2];
    info.name = fields[3];
    table.add(std::move(info));
    return true;
  };
}

}  // namespace

bool stock_info::listed_on(const date& d) const {
  return (listed.empty() || !(d < listed)) && (last_day.empty() || !(last_day < d));
}

bool stock_info::is_index() const { return is_index_code(code); }

std::string stock_info::site_code() const { return site_code_of(code); }

std::string stock_info::site_code_with_market() const {
  return site_code() + "." + upper(market_letter.empty() ? std::string("t") : market_letter);
}

void stock_table::add(stock_info info) {
  if (auto it = by_code_.find(info.code); it != by_code_.end()) {
    stocks_[it->second] = std::move(info);
    return;
  }
  const auto pos = std::upper_bound(
      stocks_.begin(), stocks_.end(), info,
      [](const stock_info& a, const stock_info& b) { return code_less(a.code, b.code); });
  const auto first_moved = static_cast<std::size_t>(pos - stocks_.begin());
  stocks_.insert(pos, std::move(info));
  // Lists come in code order, so normally only the new entry needs an index.
  for (std::size_t i = first_moved; i < stocks_.size(); ++i) by_code_[stocks_[i].code] = i;
}

const stock_info* stock_table::find(std::string_view program_code) const {
  const auto it = by_code_.find(std::string(program_code));
  return it == by_code_.end() ? nullptr : &stocks_[it->second];
}

const stock_info& stock_table::other_than(const stock_info& info, const date& day) const {
  const auto it = by_code_.find(info.code);
  if (it == by_code_.end()) return info;
  const std::size_t n = stocks_.size();
  for (std::size_t k = 1; k < n; ++k) {
    const stock_info& candidate = stocks_[(it->second + k) % n];
    if (candidate.is_index() == info.is_index() && candidate.listed_on(day)) return candidate;
  }
  return info;
}

bool load_factory_stock_list(const std::string& path, stock_table& table, std::string& error) {
  std::string text;
  if (!read_cp932_file(path, text)) {
    error = path + ": cannot be read";
    return false;
  }
  return read_csv_rows(text, path, kStockForm, error, stock_rows_into(table));
}

bool load_stock_csv(const std::string& path, stock_table& table, std::string& error) {
  return read_csv_file(path, kStockForm, error, stock_rows_into(table));
}

}  // namespace karigane::quote_site
