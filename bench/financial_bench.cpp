// Financial statements: extraction of one non-consolidated statement page (target: under
// 200 µs), and the dated summary of a kind over 3,500 stored stock files of 10 periods each,
// which every run with "財務情報" writes three times (target: under 1 s).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

#include "bench_site.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/run_context.h"
#include "sources/quote_site/page_retrieval.h"
#include "sources/quote_site/statement_page_extractor.h"
#include "financial/statement_summary.h"
#include "run/settings.h"

using namespace karigane;

namespace {

const std::string& statement_page() {
  static const std::string page = [] {
    run_context ctx;
    retrieved_page r = retrieve_page(ctx, connection_settings{}, bench::site().url + "/independent/1301");
    if (!r.outcome) throw std::runtime_error(r.outcome.message());
    return r.page;
  }();
  return page;
}

void BM_ExtractStatementPage(benchmark::State& state) {
  run_context ctx;
  const std::string& page = statement_page();
  for (auto _ : state) {
    zaimu_tbl_t table = empty_zaimu_table("1301");
    const page_reading r = read_statement_page(ctx, "単独決算", page, true, table);
    if (!r.outcome) state.SkipWithError(r.outcome.message().c_str());
  }
  state.counters["page_chars"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ExtractStatementPage)->Unit(benchmark::kMicrosecond);

void BM_SummaryOfThreeThousandFiveHundredStocks(benchmark::State& state) {
  bench::temp_dir dir;
  run_context ctx;
  program_layout layout = default_settings(dir.path).layout;
  layout.database = dir.path;
  const std::string folder = dir.path + "data_ztan/";
  ensure_folder(folder);
  for (int code = 1301; code < 1301 + 3500; ++code) {
    csv_text text;
    text.add_row({std::to_string(code), "", "(株)ベンチ", "10", "営業利益", "経常利益", "当期利益",
                  "EPS（一株当たり利益", "調整一株当たり利益", "1株配当", "BPS（一株当たり純資産）",
                  "発行済み株式総数", "総資産", "自己資本", "資本金", "有利子負債", "繰越損益",
                  "自己資本比率", "含み損益", "ROA（総資産利益率）", "ROE（自己資本利益率）",
                  "総資産経常利益率"});
    for (int y = 2003; y < 2013; ++y) {
      text.add_row({std::to_string(y) + "0300", std::to_string(y) + "0514", "12", "51150", "1685",
                    "2034", "2339", "18.40", "---", "3.00", "190.70", "127079", "48933", "24234",
                    "5795", "13410", "13803", "49.5", "307", "4.8", "9.7", "4.2"});
    }
    write_file_atomic(folder + std::to_string(code) + ".csv", text.cp932());
  }
  for (auto _ : state) {
    if (!write_statement_summary(ctx, layout, "単独決算")) state.SkipWithError("no summary written");
  }
  state.counters["stocks"] = 3500;
}
BENCHMARK(BM_SummaryOfThreeThousandFiveHundredStocks)->Unit(benchmark::kMillisecond);

}  // namespace
