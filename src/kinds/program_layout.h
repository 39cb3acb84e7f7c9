// The program folder and the database below it: every folder and file the program reads or
// writes is named here, and the names it reads back (a stock's file, a year's folder) are
// parsed here, so that no path is put together anywhere else.
//
//   program folder   settei.txt, meigara_list.csv, meigara_list_org.csv, download_code.csv,
//                    readme.txt, karigane.lock, log/karigane-YYYYMMDD.log
//   database         data_m/CODE.csv (prices), data_mh/CODE.csv (splits), data_m_gaps.csv,
//   (kabuka/)        data_c/CODE.csv (margin), data_d/YYYYMMDD[_HMM].csv (latest day),
//                    data_ztan|data_zren|data_ztyu/CODE.csv and their _d/YYYYMMDD.csv summaries,
//                    YYYY/data_m|data_mh|data_c/CODE.csv (yearly copies),
//                    data_m_1/, data_mh_1/ (series joined from the yearly copies), karigane.lock
//   adjusted folder  data_m/CODE.csv (split-adjusted series)
// The database and adjusted folders, and the kinds' folder names, come from the settings
// (run/settings.h holds their defaults).
// Folders end in "/".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/dates.h"

namespace karigane {

struct program_layout {
  std::string program_folder;  // absolute
  std::string factory_folder;  // the data installed with the program ("" when none was found)
  std::string database;        // "株価データベースフォルダパス", absolute
  std::string adjusted;        // "修正株価データベースフォルダパス", absolute
  std::string latest_name;
  std::string prices_name;
  std::string margin_name;
  std::string independent_name;
  std::string consolidated_name;
  std::string interim_name;

  // A layout for the program folder's own files (settings, lists, lock, logs) when the
  // settings that place the database are not read.
  static program_layout of_folder(const std::string& program_folder,
                                  const std::string& factory_folder = {});

  // The program folder.
  std::string settings_file() const;
  std::string stock_list_file() const;
  // The factory copy of the stock list: the program folder's, else the installed one.
  std::string factory_stock_list_file() const;
  std::string code_table_file() const;
  // The usage text: the program folder's, else the installed one.
  std::string readme_file() const;
  std::string lock_file() const;
  std::string log_folder() const;
  std::string log_file(const date& day) const;

  // The database.
  std::string database_lock_file() const;
  std::string year_folder(std::string_view year) const;
  std::string price_folder() const;
  std::string price_file(std::string_view code) const;
  std::string yearly_price_folder(std::string_view year) const;
  std::string yearly_price_file(std::string_view year, std::string_view code) const;
  std::string split_folder() const;
  std::string split_file(std::string_view code) const;
  std::string yearly_split_folder(std::string_view year) const;
  std::string yearly_split_file(std::string_view year, std::string_view code) const;
  std::string gap_record_file() const;
  std::string joined_price_folder() const;
  std::string joined_split_folder() const;
  std::string margin_folder() const;
  std::string margin_file(std::string_view code) const;
  std::string yearly_margin_file(std::string_view year, std::string_view code) const;
  std::string latest_folder() const;
  std::string latest_file(std::string_view name) const;
  // A statement kind's folder by its folder name (independent_name, ...), its stock files and
  // its dated summaries.
  std::string statement_folder(std::string_view folder_name) const;
  std::string statement_file(std::string_view folder_name, std::string_view code) const;
  std::string summary_folder(std::string_view folder_name) const;
  std::string summary_file(std::string_view folder_name, const date& day) const;
  // The adjusted series.
  std::string adjusted_price_folder() const;
  std::string adjusted_price_file(std::string_view code) const;
};

// The file names the program writes and reads back.
inline constexpr std::string_view kSettingsFileName = "settei.txt";
inline constexpr std::string_view kLockFileName = "karigane.lock";

// The code of a per-stock file name ("1301.csv" -> "1301"), for a name that is a stock code
// and ".csv"; nothing for any other name, so that no other file is taken for a stock.
std::optional<std::string> stock_code_of_file(std::string_view name);

// The day of a run log's name ("karigane-20141127.log"); nothing for any other name.
std::optional<date> log_file_day(std::string_view name);

// The year a folder of the database stands for, as the update reads it: the folder name's
// leading number, 1981 to 2049 ("2013").
std::optional<int> year_of_folder(std::string_view name);

// The database's year folder with the highest year by year_of_folder(), as its name ("2014");
// "" when there is none.
std::string newest_year_folder(const program_layout& layout);

// The year a folder stands for, as the adjusted prices' yearly mode reads it: the last four
// characters of its name, digits of a year 1901 to 2099 ("2013", also "old2013").
std::optional<int> year_at_end_of_folder(std::string_view name);

}  // namespace karigane
