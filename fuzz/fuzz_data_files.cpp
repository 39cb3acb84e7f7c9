// The readers of the stored data files (prices, splits, margin balances, statements), in both
// row orders, on one file's bytes; and the byte scanner of data_file_bytes.h against the full
// reader where both apply: a file the scanner reads must read the same through the full reader
// (its count, its header, the first field of its last row).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/cp932.h"
#include "core/data_file_bytes.h"
#include "financial/statement_files.h"
#include "financial/zaimu_table.h"
#include "margin/credit_table.h"
#include "margin/margin_files.h"
#include "scratch_folder.h"
#include "timeseries/price_files.h"
#include "timeseries/price_table.h"

namespace {

using namespace karigane;

[[noreturn]] void fail(const char* what, const std::string& a, const std::string& b) {
  std::fprintf(stderr, "%s: \"%s\" against \"%s\"\n", what, a.c_str(), b.c_str());
  std::abort();
}

// The scanner's reading of a file the full reader read as `table`.
template <std::size_t W>
void compare_scan(std::string_view bytes, std::size_t width, std::size_t count_field, status read,
                  const table_t<W>& table) {
  data_file_layout layout;
  if (scan_data_file(bytes, width, count_field, layout) != layout_scan::ok) return;
  if (read != status::ok) fail("the scanner reads a file the reader finds damaged", "", "");
  const std::size_t n = table_count(table, count_field);
  if (n != layout.count || table.size() != n + 1) {
    fail("row counts differ", std::to_string(layout.count), std::to_string(n));
  }
  for (std::size_t i = 0; i < width; ++i) {
    const std::string scanned = trim(cp932_to_utf8(layout.header[i]));
    if (scanned != trim(table[0][i])) fail("header fields differ", scanned, table[0][i]);
  }
  if (n > 0) {
    const std::string scanned = trim(cp932_to_utf8(first_field(layout.last_row)));
    if (scanned != trim(table[n][0])) fail("the last rows differ", scanned, table[n][0]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzz::scratch_file("1301.csv", bytes);

  jikeiretu_data_t prices;
  compare_scan(bytes, kPriceFileWidth, kPriceCount, read_dated_file(path, prices, kPriceFile, false), prices);
  read_dated_file(path, prices, kPriceFile, true);

  bunkatu_list_t splits;
  compare_scan(bytes, kSplitFileWidth, kSplitCount, read_dated_file(path, splits, kSplitFile, false), splits);
  read_dated_file(path, splits, kSplitFile, true);

  credit_tbl_t margin;
  compare_scan(bytes, kCreditFileWidth, kCreditCount, read_dated_file(path, margin, kMarginFile, false), margin);
  read_dated_file(path, margin, kMarginFile, true);

  zaimu_tbl_t statements;
  read_statement_file(path, statements);
  return 0;
}
