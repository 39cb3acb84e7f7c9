// The names of the program folder and the database: see program_layout.h.
#include "kinds/program_layout.h"

#include <algorithm>

#include "core/file_store.h"
#include "core/stock_code.h"
#include "core/text.h"

namespace karigane {
namespace {

std::string csv(std::string_view stem) { return std::string(stem) + ".csv"; }

}  // namespace

program_layout program_layout::of_folder(const std::string& program_folder,
                                         const std::string& factory_folder) {
  program_layout layout;
  layout.program_folder = program_folder;
  layout.factory_folder = factory_folder;
  return layout;
}

std::string program_layout::settings_file() const {
  return program_folder + std::string(kSettingsFileName);
}
std::string program_layout::stock_list_file() const { return program_folder + "meigara_list.csv"; }
std::string program_layout::factory_stock_list_file() const {
  const std::string own = program_folder + "meigara_list_org.csv";
  if (factory_folder.empty() || file_exists(own)) return own;
  return factory_folder + "meigara_list_org.csv";
}
std::string program_layout::code_table_file() const { return program_folder + "download_code.csv"; }
std::string program_layout::readme_file() const {
  const std::string own = program_folder + "readme.txt";
  if (factory_folder.empty() || file_exists(own)) return own;
  return factory_folder + "readme.txt";
}
std::string program_layout::lock_file() const {
  return program_folder + std::string(kLockFileName);
}
std::string program_layout::log_folder() const { return program_folder + "log/"; }
std::string program_layout::log_file(const date& day) const {
  return log_folder() + "karigane-" + yyyymmdd(day) + ".log";
}

std::string program_layout::database_lock_file() const {
  return database + std::string(kLockFileName);
}
std::string program_layout::year_folder(std::string_view year) const {
  return database + std::string(year) + "/";
}
std::string program_layout::price_folder() const { return database + prices_name + "/"; }
std::string program_layout::price_file(std::string_view code) const {
  return price_folder() + csv(code);
}
std::string program_layout::yearly_price_folder(std::string_view year) const {
  return year_folder(year) + prices_name + "/";
}
std::string program_layout::yearly_price_file(std::string_view year, std::string_view code) const {
  return yearly_price_folder(year) + csv(code);
}
std::string program_layout::split_folder() const { return database + prices_name + "h/"; }
std::string program_layout::split_file(std::string_view code) const {
  return split_folder() + csv(code);
}
std::string program_layout::yearly_split_folder(std::string_view year) const {
  return year_folder(year) + prices_name + "h/";
}
std::string program_layout::yearly_split_file(std::string_view year, std::string_view code) const {
  return yearly_split_folder(year) + csv(code);
}
std::string program_layout::gap_record_file() const { return database + prices_name + "_gaps.csv"; }
std::string program_layout::joined_price_folder() const { return database + prices_name + "_1/"; }
std::string program_layout::joined_split_folder() const { return database + prices_name + "h_1/"; }
std::string program_layout::margin_folder() const { return database + margin_name + "/"; }
std::string program_layout::margin_file(std::string_view code) const {
  return margin_folder() + csv(code);
}
std::string program_layout::yearly_margin_file(std::string_view year, std::string_view code) const {
  return year_folder(year) + margin_name + "/" + csv(code);
}
std::string program_layout::latest_folder() const { return database + latest_name + "/"; }
std::string program_layout::latest_file(std::string_view name) const {
  return latest_folder() + std::string(name);
}
std::string program_layout::statement_folder(std::string_view folder_name) const {
  return database + std::string(folder_name) + "/";
}
std::string program_layout::statement_file(std::string_view folder_name,
                                           std::string_view code) const {
  return statement_folder(folder_name) + csv(code);
}
std::string program_layout::summary_folder(std::string_view folder_name) const {
  return database + std::string(folder_name) + "_d/";
}
std::string program_layout::summary_file(std::string_view folder_name, const date& day) const {
  return summary_folder(folder_name) + csv(yyyymmdd(day));
}
std::string program_layout::adjusted_price_folder() const { return adjusted + prices_name + "/"; }
std::string program_layout::adjusted_price_file(std::string_view code) const {
  return adjusted_price_folder() + csv(code);
}

std::optional<std::string> stock_code_of_file(std::string_view name) {
  if (name.size() != 8 || name.substr(4) != ".csv") return std::nullopt;
  const std::string_view code = name.substr(0, 4);
  if (!is_stock_code(code)) return std::nullopt;
  return std::string(code);
}

std::optional<date> log_file_day(std::string_view name) {
  constexpr std::string_view prefix = "karigane-";
  constexpr std::string_view suffix = ".log";
  constexpr std::size_t digits = 8;
  if (name.size() != prefix.size() + digits + suffix.size() ||
      name.substr(0, prefix.size()) != prefix || name.substr(prefix.size() + digits) != suffix) {
    return std::nullopt;
  }
  return parse_yyyymmdd(name.substr(prefix.size(), digits));
}

std::optional<int> year_of_folder(std::string_view name) {
  const double v = val(name);
  if (!(v > 1980 && v < 2050)) return std::nullopt;
  return static_cast<int>(v);
}

std::string newest_year_folder(const program_layout& layout) {
  std::string newest;
  double newest_value = 0;
  for (const std::string& folder : list_subfolders(layout.database)) {
    if (!year_of_folder(folder)) continue;
    const double v = val(folder);
    if (newest.empty() || v > newest_value) {
      newest = folder;
      newest_value = v;
    }
  }
  return newest;
}

std::optional<int> year_at_end_of_folder(std::string_view name) {
  const std::string tail = right(name, 4);
  if (tail.size() != 4 ||
      !std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const int year = std::stoi(tail);
  if (year <= 1900 || year >= 2100) return std::nullopt;
  return year;
}

}  // namespace karigane
