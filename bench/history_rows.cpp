// Saved history pages to rows as a collection turns them: each file's bytes read, decoded by
// the charset the site declares, written in the legacy form and read by the history page
// extractor. The peer of bench/history_rows_lxml.py in history_vs_lxml.sh (a plain program:
// the time is the loop's own, without the program's start).
//
//   history_rows PASSES FROM TO FILE...      prints "ROWS SECONDS" for PASSES passes over FILEs
//   history_rows --rows FROM TO FILE...      prints the rows instead, for the comparison
//
// FROM and TO (yyyymmdd) are the window every page shows; a file's name up to its first "." is
// the stock code it shows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_store.h"
#include "core/run_context.h"
#include "http/page_charset.h"
#include "markup/legacy_html.h"
#include "sources/quote_site/history_page_extractor.h"
#include "timeseries/price_table.h"

using namespace karigane;

namespace {

date parse_day(const char* text) {
  const int v = std::atoi(text);
  return date{v / 10000, v / 100 % 100, v % 100};
}

// The rows of one saved page; false when the page gave none.
bool page_rows(run_context& ctx, const std::string& path, const std::string& code,
               const kikan_row& window, std::string& bytes, price_rows& rows) {
  if (!read_file_bytes(path, bytes)) return false;
  std::string page;
  if (legacy_body_html(decode_page(bytes, "text/html; charset=UTF-8"), page) !=
      body_result::written) {
    return false;
  }
  rows = empty_price_rows(code);
  return read_history_page(ctx, page, window, rows).outcome.is_ok();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: history_rows PASSES|--rows FROM TO FILE...\n");
    return 2;
  }
  const bool print_rows = std::string(argv[1]) == "--rows";
  const int passes = print_rows ? 1 : std::atoi(argv[1]);
  const kikan_row window{"", parse_day(argv[2]), parse_day(argv[3])};
  std::vector<std::pair<std::string, std::string>> files;  // path, code
  for (int a = 4; a < argc; ++a) {
    const std::string name = std::filesystem::path(argv[a]).filename().string();
    files.emplace_back(argv[a], name.substr(0, name.find('.')));
  }

  run_context ctx;
  std::string bytes;
  price_rows rows;
  std::size_t count = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int pass = 0; pass < passes; ++pass) {
    for (const auto& [path, code] : files) {
      if (!page_rows(ctx, path, code, window, bytes, rows)) {
        std::fprintf(stderr, "history_rows: no rows from %s\n", path.c_str());
        return 1;
      }
      const std::size_t n = price_count(rows.prices);
      count += n;
      if (!print_rows) continue;
      for (std::size_t i = 1; i <= n; ++i) {
        const jikeiretu_row& r = rows.prices[i];
        std::printf("%s,%s,%s,%s,%s,%s,%s,%s\n", code.c_str(), r[0].c_str(), r[1].c_str(),
                    r[2].c_str(), r[3].c_str(), r[4].c_str(), r[5].c_str(), r[6].c_str());
      }
      for (std::size_t i = 1; i <= split_count(rows.splits); ++i) {
        const bunkatu_row& s = rows.splits[i];
        std::printf("%s,split,%s,%s,%s\n", code.c_str(), s[0].c_str(), s[1].c_str(),
                    s[2].c_str());
      }
    }
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!print_rows) std::printf("%zu %.4f\n", count, took.count());
  return 0;
}
