// Margin files: see margin_files.h.
#include "margin/margin_files.h"

#include "core/folders.h"

namespace karigane {

std::string margin_file_path(const settei_record& settei, const std::string& code) {
  return settei.kabuka_path + settei.data_c_name + "/" + code + ".csv";
}

std::string yearly_margin_file_path(const settei_record& settei, const std::string& year,
                                    const std::string& code) {
  return settei.kabuka_path + year + "/" + settei.data_c_name + "/" + code + ".csv";
}

namespace {

read_result read_margin_file(const std::string& path, credit_tbl_t& table, bool reversed) {
  credit_tbl_t read;
  const read_result r = read_table_file(path, read, kCreditFileWidth, kCreditCount, reversed);
  if (r != read_result::missing) table = std::move(read);
  return r;
}

}  // namespace

read_result read_data_c_asc_sub(const std::string& path, credit_tbl_t& table) {
  return read_margin_file(path, table, false);
}

read_result read_data_c_desc_sub(const std::string& path, credit_tbl_t& table) {
  return read_margin_file(path, table, true);
}

std::int16_t write_data_c_asc_sub(const std::string& path, const credit_tbl_t& table) {
  return write_table_file(path, table, kCreditFileWidth, kCreditCount, false) ? 0 : -1;
}

std::int16_t write_data_c_desc_sub(const std::string& path, const credit_tbl_t& table) {
  return write_table_file(path, table, kCreditFileWidth, kCreditCount, true) ? 0 : -1;
}

std::int16_t write_data_c_sub(const settei_record& settei, credit_tbl_t& table, bool* damaged) {
  if (damaged) *damaged = false;
  if (table.empty()) return -1;
  const std::string path = margin_file_path(settei, table[0][kCreditCode]);
  credit_tbl_t stored;
  const read_result r = read_data_c_desc_sub(path, stored);
  if (r == read_result::missing) return write_data_c_desc_sub(path, table);
  if (r == read_result::damaged) {
    if (damaged) *damaged = true;
    return -1;
  }
  merge_descending(stored, credit_count(stored), table,
                   std::min(credit_count(table), table.size() - 1), kCreditDate, kCreditCount);
  table = std::move(stored);
  return write_data_c_desc_sub(path, table);
}

std::int16_t write_data_c_nengoto_sub(const settei_record& settei, credit_tbl_t& table,
                                      const std::string& code, bool* damaged) {
  if (damaged) *damaged = false;
  const read_result r = read_data_c_asc_sub(margin_file_path(settei, code), table);
  if (r != read_result::ok) {
    if (damaged) *damaged = r == read_result::damaged;
    return -1;
  }
  std::int16_t flag = 0;
  for_each_year_run(
      table, credit_count(table), kCreditDate, kCreditCount, [](credit_tbl_t&) {},
      [&](const std::string& year, const credit_tbl_t& run) {
        ensure_folder(settei.kabuka_path + year);
        ensure_folder(settei.kabuka_path + year + "/" + settei.data_c_name);
        if (write_data_c_asc_sub(yearly_margin_file_path(settei, year, code), run) != 0) flag = -1;
      });
  return flag;
}

}  // namespace karigane
