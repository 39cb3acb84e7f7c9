// The price and split tables and the shapes of their files: see price_files.h.
#include "timeseries/price_files.h"

namespace karigane {
namespace {

// The header's oldest and newest dates from the rows.
void describe_price_rows(jikeiretu_data_t& table, bool newest_first) {
  const std::size_t n = std::min(price_count(table), table.size() - 1);
  if (n == 0) return;
  table[0][kPriceOldest] = table[newest_first ? n : 1][0];
  table[0][kPriceNewest] = table[newest_first ? 1 : n][0];
}

}  // namespace

const dated_file_shape<7> kPriceFile{kPriceFileWidth, kPriceCount, 0, describe_price_rows};
const dated_file_shape<3> kSplitFile{kSplitFileWidth, kSplitCount, 0, nullptr};

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

price_rows empty_price_rows(const std::string& code) {
  return {empty_price_table(code), empty_split_table(code)};
}

}  // namespace karigane
