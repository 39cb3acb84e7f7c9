// Margin balances: extraction of one margin history page of a 250-day window (target: under
// 100 µs) and merging such a window's rows into a stored file of 5,000 rows (target: under
// 10 ms).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

#include "bench_site.h"
#include "core/file_store.h"
#include "core/run_context.h"
#include "sources/quote_site/page_retrieval.h"
#include "margin/margin_files.h"
#include "sources/quote_site/margin_history_extractor.h"

using namespace karigane;

namespace {

const kikan_row kWindow{"", date{2012, 6, 15}, date{2013, 2, 19}};

// The window's page of a generated stock, as page retrieval hands it over.
const std::string& margin_page() {
  static const std::string page = [] {
    run_context ctx;
    retrieved_page r = retrieve_page(
        ctx, connection_settings{},
        bench::site().url +
            "/history/margin/?code=1332&sy=2012&sm=06&sd=15&ey=2013&em=02&ed=19&tm=d");
    if (!r.outcome) throw std::runtime_error(r.outcome.message());
    return r.page;
  }();
  return page;
}

void BM_ExtractMarginPage(benchmark::State& state) {
  run_context ctx;
  const std::string& page = margin_page();
  std::size_t rows = 0;
  for (auto _ : state) {
    credit_tbl_t table = empty_credit_table("1332");
    read_margin_history_page(ctx, page, kWindow, true, table);
    rows = credit_count(table);
    if (rows < 30) state.SkipWithError("the page did not give a window's weeks");
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["page_chars"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ExtractMarginPage)->Unit(benchmark::kMicrosecond);

// A stored file of 5,000 weeks and 36 collected weeks: its newest 26 again and 10 new ones.
void BM_MergeWindowIntoFiveThousandRows(benchmark::State& state) {
  bench::temp_dir dir;
  const std::string path = dir.path + "data_c/1301.csv";
  ensure_folder(dir.path + "data_c");
  credit_tbl_t stored{credit_row{"1301", "東証1部", "(株)極洋", "5000"}};
  date d{1917, 1, 5};
  for (int i = 0; i < 5000; ++i, d = add_days(d, 7)) stored.push_back({yyyymmdd(d), "1234500", "2345600", "1.90"});
  credit_tbl_t collected{credit_row{"1301", "東証1部", "(株)極洋", "36"}};
  date n = add_days(d, 7 * 9);
  for (int i = 0; i < 36; ++i, n = add_days(n, -7)) collected.push_back({yyyymmdd(n), "1300000", "2400000", "1.85"});
  for (auto _ : state) {
    state.PauseTiming();
    write_dated_file(path, stored, kMarginFile, false);
    credit_tbl_t table = collected;
    state.ResumeTiming();
    if (!merge_into_dated_file(path, table, kMarginFile) || credit_count(table) != 5010) {
      state.SkipWithError("merge failed");
    }
  }
}
BENCHMARK(BM_MergeWindowIntoFiveThousandRows)->Unit(benchmark::kMillisecond);

}  // namespace
