// Latest-day prices: parsing one search page of 25 stocks, and the whole latest-day collection
// of every stock of the factory list against the local quote site (target: under 10 seconds).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

#include "bench_site.h"
#include "core/run_context.h"
#include "sources/quote_site/page_retrieval.h"
#include "latest/latest_driver.h"
#include "sources/quote_site/search_page_parser.h"

using namespace karigane;

namespace {

code_list_t listed_codes(std::size_t limit) {
  code_list_t codes{"0"};
  for (const auto& s : bench::data_set().stocks().all()) {
    if (codes.size() > limit) break;
    codes.push_back(s.code);
  }
  codes[0] = std::to_string(codes.size() - 1);
  return codes;
}

std::string group_page(const code_list_t& codes, const char* view) {
  std::string query;
  for (std::size_t k = 1; k < codes.size(); ++k) query += codes[k] + "+";
  run_context ctx;
  std::string page;
  std::string message;
  int_cnt1_sub(ctx, bench::site().url + "/search/?query=" + query + "998407+998405&ei=UTF-8&view=" + view,
               page, message);
  if (!message.empty()) throw std::runtime_error(message);
  return page;
}

void BM_ParseSearchPages(benchmark::State& state) {
  const code_list_t codes = listed_codes(25);
  const std::string l1 = group_page(codes, "l1");
  const std::string l2 = group_page(codes, "l2");
  run_context ctx;
  for (auto _ : state) {
    data_d_table_t table(26);
    for (std::size_t k = 1; k <= 25; ++k) table[k][kDCode] = codes[k];
    read_yh_data_d1_sub(ctx, l1, table, 1, 25);
    read_yh_data_d2_sub(ctx, l2, table, 1, 25);
    if (table[25][kDLow].empty()) state.SkipWithError("the pages did not fill the table");
  }
  state.SetItemsProcessed(state.iterations() * 2);  // pages per second
}
BENCHMARK(BM_ParseSearchPages)->Unit(benchmark::kMicrosecond);

void BM_LatestDayCollectionOfEveryStock(benchmark::State& state) {
  const code_list_t all = listed_codes(100000);
  for (auto _ : state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "karigane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    run_context ctx;
    ctx.program_folder = pattern + "/";
    ctx.settei.kabuka_path = ctx.program_folder + "kabuka/";
    ctx.settei.kabuka_site_url = bench::site().url;
    ctx.settei.index_site_url = bench::site().url;
    ctx.controls.out1_data_d_chk = true;
    code_list_t codes = all;
    std::int16_t flag = 0;
    std::string message;
    dl_data_d_sub(ctx, codes, flag, message);
    if (flag != 0) state.SkipWithError(message.c_str());
    std::filesystem::remove_all(pattern);
  }
  state.counters["stocks"] = static_cast<double>(all.size() - 1);
}
BENCHMARK(BM_LatestDayCollectionOfEveryStock)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
