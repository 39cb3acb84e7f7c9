// Split lists: see split_files.h.
#include "timeseries/split_files.h"

#include "core/file_store.h"

namespace karigane {

std::string split_folder_path(const settei_record& settei) {
  return settei.kabuka_path + settei.data_m_name + "h/";
}

std::string split_file_path(const settei_record& settei, const std::string& code) {
  return split_folder_path(settei) + code + ".csv";
}

std::string yearly_split_file_path(const settei_record& settei, const std::string& year,
                                   const std::string& code) {
  return settei.kabuka_path + year + "/" + settei.data_m_name + "h/" + code + ".csv";
}

read_result read_bunkatu_asc_sub(const std::string& path, bunkatu_list_t& table) {
  bunkatu_list_t read;
  const read_result r = read_table_file(path, read, kSplitFileWidth, kSplitCount, false);
  if (r == read_result::ok || r == read_result::damaged) table = std::move(read);
  return r;
}

read_result read_bunkatu_desc_sub(const std::string& path, bunkatu_list_t& table) {
  bunkatu_list_t read;
  const read_result r = read_table_file(path, read, kSplitFileWidth, kSplitCount, true);
  if (r == read_result::ok || r == read_result::damaged) table = std::move(read);
  return r;
}

std::int16_t write_bunkatu_asc_sub(const std::string& path, const bunkatu_list_t& table) {
  return write_table_file(path, table, kSplitFileWidth, kSplitCount, false) ? 0 : -1;
}

std::int16_t write_bunkatu_desc_sub(const std::string& path, const bunkatu_list_t& table) {
  return write_table_file(path, table, kSplitFileWidth, kSplitCount, true) ? 0 : -1;
}

std::int16_t write_bunkatu_data_sub(const settei_record& settei, bunkatu_list_t& table,
                                    read_result* stored) {
  keep_first_row_per_date(table, 0, kSplitCount);
  const std::string path = split_file_path(settei, table[0][kSplitCode]);
  bunkatu_list_t e_table;
  const read_result r = read_bunkatu_desc_sub(path, e_table);
  if (stored) *stored = r;
  if (r == read_result::missing) return write_bunkatu_desc_sub(path, table);
  if (r.unusable()) return -1;
  merge_descending(e_table, split_count(e_table), table,
                   std::min(split_count(table), table.size() - 1), 0, kSplitCount);
  table = std::move(e_table);
  return write_bunkatu_desc_sub(path, table);
}

std::int16_t write_bunkatu_nengoto_sub(const settei_record& settei, bunkatu_list_t& table,
                                       const std::string& code, read_result* main_read,
                                       std::string* unwritten) {
  if (unwritten) unwritten->clear();
  const read_result r = read_bunkatu_asc_sub(split_file_path(settei, code), table);
  if (main_read) *main_read = r;
  if (r != read_result::ok) return -1;
  const std::string failed = write_year_runs(
      table, split_count(table), 0, kSplitCount, kSplitFileWidth, [](bunkatu_list_t&) {},
      [&](const std::string& year) { return yearly_split_file_path(settei, year, code); });
  if (unwritten) *unwritten = failed;
  return failed.empty() ? 0 : -1;
}

}  // namespace karigane
