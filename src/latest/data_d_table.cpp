// Latest-day table helpers: see data_d_table.h.
#include "latest/data_d_table.h"

#include "core/text.h"

namespace karigane {

void label_data_d_header(data_d_record& header) {
  header[kDName] = "銘柄";
  header[kDOpen] = "始値";
  header[kDHigh] = "高値";
  header[kDLow] = "安値";
  header[kDClose] = "終値";
  header[kDVolume] = "出来高";
  header[kDTradeDate] = "取引日";
}

std::size_t data_d_count(const data_d_table_t& table) {
  if (table.empty()) return 0;
  return std::min(table_count(table, kDMarket), table.size() - 1);
}

std::string missing_price_fields(const data_d_record& row) {
  static constexpr std::pair<std::size_t, const char*> kFields[] = {
      {kDOpen, "始値"},   {kDHigh, "高値"},     {kDLow, "安値"},
      {kDClose, "終値"}, {kDVolume, "出来高"}, {kDTradeDate, "取引日"}};
  std::string missing;
  for (const auto& [field, caption] : kFields) {
    if (!trim(row[field]).empty()) continue;
    if (!missing.empty()) missing += ',';
    missing += caption;
  }
  return missing;
}

}  // namespace karigane
