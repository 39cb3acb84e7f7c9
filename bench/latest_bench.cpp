// Latest-day prices: parsing one search page of 25 stocks, and the whole latest-day collection
// of every stock of the factory list against the local quote site (target: under 10 seconds).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

#include "bench_site.h"
#include "core/run_context.h"
#include "sources/quote_site/page_retrieval.h"
#include "latest/latest_collection.h"
#include "run/settings.h"
#include "sources/quote_site/quote_site_source.h"
#include "sources/quote_site/search_page_parser.h"

using namespace karigane;

namespace {

std::vector<std::string> listed_codes(std::size_t limit) {
  std::vector<std::string> codes;
  for (const auto& s : bench::data_set().stocks().all()) {
    if (codes.size() >= limit) break;
    codes.push_back(s.code);
  }
  return codes;
}

std::string group_page(const std::vector<std::string>& codes, const char* view) {
  std::string query;
  for (const std::string& code : codes) query += code + "+";
  run_context ctx;
  retrieved_page r = retrieve_page(
      ctx, connection_settings{},
      bench::site().url + "/search/?query=" + query + "998407+998405&ei=UTF-8&view=" + view);
  if (!r.outcome) throw std::runtime_error(r.outcome.message());
  return r.page;
}

void BM_ParseSearchPages(benchmark::State& state) {
  const std::vector<std::string> codes = listed_codes(25);
  const std::string l1 = group_page(codes, "l1");
  const std::string l2 = group_page(codes, "l2");
  run_context ctx;
  for (auto _ : state) {
    data_d_table_t table(26);
    for (std::size_t k = 1; k <= 25; ++k) table[k][kDCode] = codes[k - 1];
    read_yh_data_d1_sub(ctx, l1, table, 1, 25);
    read_yh_data_d2_sub(ctx, l2, table, 1, 25);
    if (table[25][kDLow].empty()) state.SkipWithError("the pages did not fill the table");
  }
  state.SetItemsProcessed(state.iterations() * 2);  // pages per second
}
BENCHMARK(BM_ParseSearchPages)->Unit(benchmark::kMicrosecond);

void BM_LatestDayCollectionOfEveryStock(benchmark::State& state) {
  const std::vector<std::string> all = listed_codes(100000);
  for (auto _ : state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "karigane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    run_context ctx;
    ctx.program_folder = pattern + "/";
    program_settings settings = default_settings(ctx.program_folder);
    settings.quote_site.kabuka_site_url = bench::site().url;
    settings.quote_site.index_site_url = bench::site().url;
    const auto sources = make_quote_site_sources(settings.quote_site);
    std::vector<std::string> codes = all;
    data_d_table_t table;
    const status collected =
        collect_latest_day(ctx, settings.layout, sources->latest(), codes, true, table);
    if (!collected) state.SkipWithError(collected.message().c_str());
    std::filesystem::remove_all(pattern);
  }
  state.counters["stocks"] = static_cast<double>(all.size());
}
BENCHMARK(BM_LatestDayCollectionOfEveryStock)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
