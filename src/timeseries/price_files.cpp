// Time-series price files: see price_files.h.
#include "timeseries/price_files.h"

#include "core/file_store.h"

namespace karigane {

jikeiretu_data_t empty_price_table(const std::string& code) {
  jikeiretu_data_t t(1);
  t[0][kPriceCode] = code;
  t[0][kPriceCount] = "0";
  return t;
}

bunkatu_list_t empty_split_table(const std::string& code) {
  bunkatu_list_t t(1);
  t[0][kSplitCode] = code;
  t[0][kSplitCount] = "0";
  return t;
}

std::string price_file_path(const settei_record& settei, const std::string& code) {
  return settei.kabuka_path + settei.data_m_name + "/" + code + ".csv";
}

std::string yearly_price_file_path(const settei_record& settei, const std::string& year,
                                   const std::string& code) {
  return settei.kabuka_path + year + "/" + settei.data_m_name + "/" + code + ".csv";
}

read_result read_jikeiretu_asc_sub(const std::string& path, jikeiretu_data_t& table) {
  jikeiretu_data_t read;
  const read_result r = read_table_file(path, read, kPriceFileWidth, kPriceCount, false);
  if (r == read_result::ok || r == read_result::damaged) table = std::move(read);
  return r;
}

read_result read_jikeiretu_desc_sub(const std::string& path, jikeiretu_data_t& table) {
  jikeiretu_data_t read;
  const read_result r = read_table_file(path, read, kPriceFileWidth, kPriceCount, true);
  if (r == read_result::ok || r == read_result::damaged) table = std::move(read);
  return r;
}

std::int16_t write_jikeiretu_asc_sub(const std::string& path, const jikeiretu_data_t& table) {
  return write_table_file(path, table, kPriceFileWidth, kPriceCount, false) ? 0 : -1;
}

std::int16_t write_jikeiretu_desc_sub(const std::string& path, const jikeiretu_data_t& table) {
  return write_table_file(path, table, kPriceFileWidth, kPriceCount, true) ? 0 : -1;
}

std::int16_t write_jikeiretu_data_sub(const settei_record& settei, jikeiretu_data_t& table,
                                      read_result* stored) {
  keep_first_row_per_date(table, 0, kPriceCount);
  const std::size_t d = std::min(price_count(table), table.size() - 1);
  if (d > 0) {
    table[0][kPriceOldest] = table[d][0];
    table[0][kPriceNewest] = table[1][0];
  }
  const std::string path = price_file_path(settei, table[0][kPriceCode]);
  jikeiretu_data_t e_table;
  const read_result r = read_jikeiretu_desc_sub(path, e_table);
  if (stored) *stored = r;
  if (r == read_result::missing) return write_jikeiretu_desc_sub(path, table);
  if (r.unusable()) return -1;
  merge_descending(e_table, price_count(e_table), table, d, 0, kPriceCount);
  const std::size_t e = price_count(e_table);
  if (e > 0) {
    e_table[0][kPriceOldest] = e_table[e][0];
    e_table[0][kPriceNewest] = e_table[1][0];
  }
  table = std::move(e_table);
  return write_jikeiretu_desc_sub(path, table);
}

std::int16_t write_jikeiretu_nengoto_sub(const settei_record& settei, jikeiretu_data_t& table,
                                         const std::string& code, read_result* main_read,
                                         std::string* unwritten) {
  if (unwritten) unwritten->clear();
  const read_result r = read_jikeiretu_asc_sub(price_file_path(settei, code), table);
  if (main_read) *main_read = r;
  if (r != read_result::ok) return -1;
  const std::string failed = write_year_runs(
      table, price_count(table), 0, kPriceCount, kPriceFileWidth,
      [](jikeiretu_data_t& run) {
        run[0][kPriceOldest] = run[1][0];
        run[0][kPriceNewest] = run.back()[0];
      },
      [&](const std::string& year) { return yearly_price_file_path(settei, year, code); });
  if (unwritten) *unwritten = failed;
  return failed.empty() ? 0 : -1;
}

}  // namespace karigane
