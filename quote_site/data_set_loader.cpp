// Loading the data set: see data_set_loader.h.
#include "data_set_loader.h"

#include <algorithm>
#include <array>

#include "core/file_store.h"
#include "core/install_paths.h"
#include "core/text.h"
#include "data_csv.h"
#include "site_codes.h"

namespace karigane::quote_site {
namespace {

struct index_default {
  const char* code;
  const char* letter;
  const char* market;
  const char* name;
};

// The index entries of the factory list, for data folders that do not name them.
constexpr std::array<index_default, 4> kIndexDefaults{{
    {"1001", "o", "大証指数", "日経平均株価"},
    {"1002", "t", "東証指数", "TOPIX"},
    {"1003", "t", "東証指数", "指数5040469"},
    {"1004", "t", "東証指数", "指数5040468"},
}};

std::string with_slash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool is_code_file(const std::string& name, std::string& code) {
  if (name.size() < 5 || name.substr(name.size() - 4) != ".csv") return false;
  code = name.substr(0, name.size() - 4);
  return is_stock_code(code);
}

// code,date (yyyymmdd) with a header line: a whole day without a trade.
bool load_halt_csv(const std::string& path, market_sources& sources, std::string& error) {
  return read_csv_file(path, "code,date (date yyyymmdd)", error, [&](const auto& f) {
    const auto day = f.size() >= 2 ? parse_yyyymmdd(trim(f[1])) : std::nullopt;
    if (!day || !is_stock_code(trim(f[0]))) return false;
    auto& days = sources.halts[trim(f[0])];
    days.insert(std::upper_bound(days.begin(), days.end(), *day), *day);
    return true;
  });
}

// The optional files a folder may add: more stocks (stocks.csv form), splits, halts.
bool load_optional(const std::string& path, market_sources& sources, std::string& error,
                   bool (*load)(const std::string&, market_sources&, std::string&)) {
  return !file_exists(path) || load(path, sources, error);
}

bool load_more_stocks(const std::string& path, market_sources& sources, std::string& error) {
  return load_stock_csv(path, sources.stocks, error);
}

bool load_more_splits(const std::string& path, market_sources& sources, std::string& error) {
  return load_split_csv(path, sources.splits, error);
}

bool load_price_folder(const std::string& folder, market_sources& sources, std::string& error) {
  if (!folder_exists(folder)) return true;
  file_status listed;
  const auto names = list_files(folder, &listed);
  if (!listed) {
    error = folder + ": cannot be listed";
    return false;
  }
  for (const auto& name : names) {
    std::string code;
    if (!is_code_file(name, code)) continue;
    std::vector<price_row> rows;
    if (!load_price_csv(folder + name, rows, error)) return false;
    sources.real_prices[code] = std::move(rows);
  }
  return true;
}

}  // namespace

std::string factory_data_folder() { return program_data_folder(); }

bool load_factory_sources(const std::string& folder_in, market_sources& sources,
                          std::string& error) {
  const std::string folder = with_slash(folder_in);
  if (!load_factory_stock_list(folder + "meigara_list_org.csv", sources.stocks, error)) {
    return false;
  }
  for (const auto& d : kIndexDefaults) {
    if (sources.stocks.find(d.code) == nullptr) sources.stocks.add({d.code, d.letter, d.market, d.name});
  }
  if (!load_optional(folder + "listings-2024-2025.csv", sources, error, load_more_stocks) ||
      !load_optional(folder + "splits-2000-2017.csv", sources, error, load_more_splits) ||
      !load_optional(folder + "splits-2024-2025.csv", sources, error, load_more_splits) ||
      !load_optional(folder + "halts-2025.csv", sources, error, load_halt_csv)) {
    return false;
  }
  if (file_exists(folder + "n225-daily.csv")) {
    std::vector<price_row> rows;
    if (!load_price_csv(folder + "n225-daily.csv", rows, error)) return false;
    sources.real_prices["1001"] = std::move(rows);
  }
  return load_price_folder(folder + "prices/", sources, error);
}

bool load_folder_sources(const std::string& folder_in, const std::string& factory_folder,
                         market_sources& sources, std::string& error) {
  const std::string folder = with_slash(folder_in);
  if (!folder_exists(folder)) {
    error = folder + ": no such folder";
    return false;
  }
  if (!load_stock_csv(folder + "stocks.csv", sources.stocks, error)) return false;
  stock_table factory;
  std::string ignored;
  if (!factory_folder.empty()) {
    load_factory_stock_list(with_slash(factory_folder) + "meigara_list_org.csv", factory, ignored);
  }
  for (const auto& d : kIndexDefaults) {
    if (sources.stocks.find(d.code) != nullptr) continue;
    const stock_info* f = factory.find(d.code);
    sources.stocks.add(f != nullptr ? *f : stock_info{d.code, d.letter, d.market, d.name});
  }
  if (!load_optional(folder + "splits.csv", sources, error, load_more_splits) ||
      !load_optional(folder + "halts.csv", sources, error, load_halt_csv)) {
    return false;
  }
  return load_price_folder(folder + "prices/", sources, error);
}

}  // namespace karigane::quote_site
