// Margin files: see margin_files.h.
#include "margin/margin_files.h"

#include "core/file_store.h"

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
  if (r == read_result::ok || r == read_result::damaged) table = std::move(read);
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

std::int16_t write_data_c_sub(const settei_record& settei, credit_tbl_t& table,
                              read_result* stored) {
  if (table.empty()) return -1;
  keep_first_row_per_date(table, kCreditDate, kCreditCount);
  const std::string path = margin_file_path(settei, table[0][kCreditCode]);
  credit_tbl_t e_table;
  const read_result r = read_data_c_desc_sub(path, e_table);
  if (stored) *stored = r;
  if (r == read_result::missing) return write_data_c_desc_sub(path, table);
  if (r.unusable()) return -1;
  merge_descending(e_table, credit_count(e_table), table,
                   std::min(credit_count(table), table.size() - 1), kCreditDate, kCreditCount);
  table = std::move(e_table);
  return write_data_c_desc_sub(path, table);
}

std::int16_t write_data_c_nengoto_sub(const settei_record& settei, credit_tbl_t& table,
                                      const std::string& code, read_result* main_read,
                                      std::string* unwritten) {
  if (unwritten) unwritten->clear();
  const read_result r = read_data_c_asc_sub(margin_file_path(settei, code), table);
  if (main_read) *main_read = r;
  if (r != read_result::ok) return -1;
  const std::string failed = write_year_runs(
      table, credit_count(table), kCreditDate, kCreditCount, kCreditFileWidth, [](credit_tbl_t&) {},
      [&](const std::string& year) { return yearly_margin_file_path(settei, year, code); });
  if (unwritten) *unwritten = failed;
  return failed.empty() ? 0 : -1;
}

}  // namespace karigane
