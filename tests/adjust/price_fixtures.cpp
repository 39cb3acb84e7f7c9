// Price and split fixtures: see price_fixtures.h.
#include "price_fixtures.h"

#include <sstream>

namespace karigane::testing {
namespace {

template <std::size_t W>
std::array<std::string, W> split_row(const std::string& text) {
  std::array<std::string, W> row{};
  std::stringstream in(text);
  for (std::size_t i = 0; i < W && std::getline(in, row[i], ',');) ++i;
  return row;
}

template <std::size_t W>
std::string file_text(const table_t<W>& table, std::size_t width) {
  std::string out;
  for (const auto& row : table) {
    for (std::size_t i = 0; i < width; ++i) out += (i ? "," : "") + row[i];
    out += "\r\n";
  }
  return out;
}

}  // namespace

jikeiretu_data_t price_table(const std::string& code, const std::vector<std::string>& rows,
                             const std::string& market, const std::string& name) {
  jikeiretu_data_t t(1);
  t[0] = {code, market, name, "", "", std::to_string(rows.size()), ""};
  for (const std::string& r : rows) t.push_back(split_row<7>(r));
  if (!rows.empty()) {
    t[0][kPriceOldest] = t[1][0];
    t[0][kPriceNewest] = t.back()[0];
  }
  return t;
}

bunkatu_list_t split_table(const std::string& code, const std::vector<std::string>& rows,
                           const std::string& name) {
  bunkatu_list_t t(1);
  t[0] = {code, name, std::to_string(rows.size())};
  for (const std::string& r : rows) t.push_back(split_row<3>(r));
  return t;
}

std::string price_file_text(const jikeiretu_data_t& table) { return file_text(table, 6); }
std::string split_file_text(const bunkatu_list_t& table) { return file_text(table, 3); }

std::string day(const std::string& date, const std::string& price, const std::string& volume) {
  return date + "," + price + "," + price + "," + price + "," + price + "," + volume;
}

}  // namespace karigane::testing
