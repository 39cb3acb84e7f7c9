// Time-series prices: extraction of one 50-row history page (target: under 100 µs), merging 50
// downloaded rows into a stored file of 15,000 rows (target: under 10 ms), and a collection of
// 100 stocks over one year against the local quote site (target: at least 200 pages a second).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

#include "bench_site.h"
#include "core/file_store.h"
#include "core/run_context.h"
#include "sources/quote_site/page_retrieval.h"
#include "sources/quote_site/history_page_extractor.h"
#include "timeseries/price_files.h"
#include "run/settings.h"
#include "sources/quote_site/quote_site_source.h"
#include "timeseries/price_collection.h"

using namespace karigane;

namespace {

// A 50-row window (2012-11-30 to 2013-02-19) of a generated stock, as page retrieval hands it over.
const std::string& fifty_row_page() {
  static const std::string page = [] {
    run_context ctx;
    retrieved_page r = retrieve_page(
        ctx, connection_settings{},
        bench::site().url + "/history/?code=1332&sy=2012&sm=11&sd=30&ey=2013&em=02&ed=19&tm=d");
    if (!r.outcome) throw std::runtime_error(r.outcome.message());
    return r.page;
  }();
  return page;
}

void BM_ExtractHistoryPage(benchmark::State& state) {
  run_context ctx;
  const kikan_row window{"", date{2012, 11, 30}, date{2013, 2, 19}};
  const std::string& page = fifty_row_page();
  for (auto _ : state) {
    price_rows rows = empty_price_rows("1332");
    read_history_page(ctx, page, window, rows);
    if (price_count(rows.prices) != 50) state.SkipWithError("the page did not give 50 rows");
  }
  state.counters["page_chars"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ExtractHistoryPage)->Unit(benchmark::kMicrosecond);

// A stored file of 15,000 rows (one a day from 1960) and 50 downloaded rows: its newest 40 days
// again and 10 new days after them.
void BM_MergeFiftyRowsIntoFifteenThousand(benchmark::State& state) {
  bench::temp_dir dir;
  program_layout layout = default_settings(dir.path).layout;
  layout.database = dir.path;
  ensure_folder(dir.path + "data_m");
  jikeiretu_data_t stored = empty_price_table("1301");
  stored[0][kPriceMarket] = "東証1部";
  stored[0][kPriceName] = "(株)極洋";
  date d{1960, 1, 4};
  for (int i = 0; i < 15000; ++i, d = add_days(d, 1)) {
    stored.push_back({yyyymmdd(d), "1234", "1250", "1220", "1240", "123400", ""});
  }
  stored[0][kPriceCount] = "15000";
  stored[0][kPriceOldest] = stored[1][0];
  stored[0][kPriceNewest] = stored.back()[0];
  jikeiretu_data_t download = empty_price_table("1301");
  date n = add_days(d, 9);
  for (int i = 0; i < 50; ++i, n = add_days(n, -1)) {
    download.push_back({yyyymmdd(n), "1300", "1310", "1290", "1305", "99900", "1305"});
  }
  download[0][kPriceCount] = "50";
  for (auto _ : state) {
    state.PauseTiming();
    write_dated_file(layout.price_file("1301"), stored, kPriceFile, false);
    jikeiretu_data_t table = download;
    state.ResumeTiming();
    if (!merge_into_dated_file(layout.price_file("1301"), table, kPriceFile)) {
      state.SkipWithError("merge failed");
    }
  }
}
BENCHMARK(BM_MergeFiftyRowsIntoFifteenThousand)->Unit(benchmark::kMillisecond);

// One year (eight 50-day windows) of the first 100 stocks of the factory list.
void BM_CollectHundredStocksOverOneYear(benchmark::State& state) {
  const auto& stocks = bench::data_set().stocks().all();
  std::vector<std::string> codes;
  for (const auto& s : stocks) {
    if (!s.is_index() && codes.size() < 100) codes.push_back(s.code);
  }
  for (auto _ : state) {
    bench::temp_dir dir;
    run_context ctx;
    ctx.program_folder = dir.path;
    program_settings settings = default_settings(dir.path);
    settings.quote_site.kabuka_site_url = bench::site().url;
    const auto sources = make_quote_site_sources(settings.quote_site);
    collect_prices(ctx, settings.layout, sources->prices(),
                   {codes, {date{2012, 1, 1}, date{2012, 12, 31}}, false, false, nullptr});
  }
  state.SetItemsProcessed(state.iterations() * 100 * 8);  // pages per second
}
BENCHMARK(BM_CollectHundredStocksOverOneYear)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
