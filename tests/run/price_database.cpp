// The generated price database: see price_database.h.
#include "price_database.h"

#include <algorithm>
#include <map>

#include "core/text.h"
#include "support/temp_folder.h"

namespace karigane::testing {
namespace {

struct stock {
  std::string code;
  std::string market;
  std::string name;
};

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
  return parts;
}

// The factory list's stocks from 1301 on, in its order: code, market name, company name.
std::vector<stock> factory_stocks() {
  std::vector<stock> stocks;
  const std::vector<std::string> lines =
      split(cp932_file(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv"), "\r\n");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = split(lines[i], ",");
    if (f.size() >= 4 && val(f[0]) >= 1301) stocks.push_back({f[0], f[2], f[3]});
  }
  return stocks;
}

bool weekday(const date& d) {
  const long dow = (days_from_civil(d) + 4) % 7;  // 1970-01-01 was a Thursday (4)
  return dow != 0 && dow != 6;
}

std::string price_file(const stock& s, const std::vector<std::string>& rows) {
  std::string text = s.code + "," + s.market + "," + s.name + "," + rows.front().substr(0, 8) +
                     "," + rows.back().substr(0, 8) + "," + std::to_string(rows.size()) + "\r\n";
  for (const std::string& row : rows) text += row + "\r\n";
  return text;
}

std::string split_file(const stock& s, const std::vector<std::string>& rows) {
  std::string text = s.code + "," + s.name + "," + std::to_string(rows.size()) + "\r\n";
  for (const std::string& row : rows) text += row + "\r\n";
  return text;
}

}  // namespace

std::vector<std::string> factory_stock_codes(std::size_t count) {
  std::vector<std::string> codes;
  for (const stock& s : factory_stocks()) {
    if (codes.size() == count) break;
    codes.push_back(s.code);
  }
  return codes;
}

void write_price_database(const std::string& kabuka, const std::vector<std::string>& codes,
                          const date& first, const date& last) {
  std::map<std::string, stock> by_code;
  for (const stock& s : factory_stocks()) by_code[s.code] = s;
  std::vector<date> days;
  for (date d = first; d <= last; d = add_days(d, 1)) {
    if (weekday(d)) days.push_back(d);
  }
  for (std::size_t n = 0; n < codes.size(); ++n) {
    const stock& s = by_code[codes[n]];
    std::map<int, std::vector<std::string>> rows_of_year;
    std::vector<std::string> rows;
    long price = 300 + static_cast<long>(n * 37 % 3000);
    for (std::size_t i = 0; i < days.size(); ++i) {
      price = std::max(50L, price + static_cast<long>((i * 7 + n) % 11) - 5);
      const std::string row = yyyymmdd(days[i]) + "," + std::to_string(price) + "," +
                              std::to_string(price + 9) + "," + std::to_string(price - 8) + "," +
                              std::to_string(price + 3) + "," +
                              std::to_string(1000 + (i * 13 + n) % 90000);
      rows.push_back(row);
      rows_of_year[days[i].y].push_back(row);
    }
    const std::string file = s.code + ".csv";
    write_cp932(kabuka + "data_m/" + file, price_file(s, rows));
    for (const auto& [year, year_rows] : rows_of_year) {
      write_cp932(kabuka + std::to_string(year) + "/data_m/" + file, price_file(s, year_rows));
    }
    if (n % 3 == 0) {
      const date early = days[days.size() / 5];
      const date late = days[days.size() * 4 / 5];
      const std::vector<std::string> splits{yyyymmdd(early) + ",1,2", yyyymmdd(late) + ",1,10"};
      write_cp932(kabuka + "data_mh/" + file, split_file(s, splits));
      std::map<int, std::vector<std::string>> splits_of_year;
      splits_of_year[early.y].push_back(splits[0]);
      splits_of_year[late.y].push_back(splits[1]);
      for (const auto& [year, year_splits] : splits_of_year) {
        write_cp932(kabuka + std::to_string(year) + "/data_mh/" + file, split_file(s, year_splits));
      }
    }
    if (n % 2 == 1) {
      const std::vector<std::string> stale(rows.begin(), rows.begin() + 2);
      write_cp932(kabuka + "syusei_kabuka/data_m/" + file, price_file(s, stale));
      write_cp932(kabuka + "data_m_1/" + file, price_file(s, stale));
      write_cp932(kabuka + "data_mh_1/" + file, split_file(s, {yyyymmdd(days[1]) + ",1,3"}));
    }
  }
}

}  // namespace karigane::testing
