// Page retrieval and the local quote site: the serializer's time per page (target: under 1 ms
// for a 30 KB page; a page with scripts, styles and rare entities at most 1.3 times a plain
// one), history pages fetched and serialized per second over loopback with the run's
// connection kept and with a new one per page, over HTTP and HTTPS, and the quote site's pages
// per second (target: at least 1,000 with 2 cores).
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/run_context.h"
#include "bench_site.h"
#include "markup/legacy_html.h"
#include "markup/legacy_parsers.h"
#include "markup/markup_bounds.h"
#include "sources/quote_site/page_retrieval.h"
#include "history_page.h"
#include "page_encoding.h"
#include "quote_server.h"

using namespace karigane;
using namespace karigane::quote_site;
using karigane::bench::data_set;
using karigane::bench::site;

namespace {

// A 50-row window (2012-11-30 to 2013-02-19 holds 50 trading days) of a generated stock.
const char* kQuery = "/history/?code=1332&sy=2012&sm=11&sd=30&ey=2013&em=02&ed=19&tm=d";

std::string history_document() {
  page_query q;
  q.path = "/history/";
  for (auto [k, v] : {std::pair{"code", "1332"}, {"sy", "2012"}, {"sm", "11"}, {"sd", "30"}, {"ey", "2013"},
                      {"em", "02"}, {"ed", "19"}, {"tm", "d"}}) {
    q.params.emplace(k, v);
  }
  return page_document(history_page(data_set()).render(q, content_fault::none), page_encoding{});
}

// The history page grown to 30 KB by repeating its table, as a larger real page would be.
std::string document_of_30kb() {
  std::string doc = history_document();
  const auto start = doc.find("<table");
  const auto end = doc.find("</table>") + 8;
  const std::string table = doc.substr(start, end - start);
  while (doc.size() < 30 * 1024) doc.insert(end, table);
  return doc;
}

// The 50-row page as a real quote page carries it: scripts in the head and the body (one
// hidden in a comment, as old pages do), a style, comments, and entities beyond the common
// ones in the text and in a link.
std::string with_scripts_styles_entities(std::string doc) {
  doc.insert(doc.find("</head>"),
             "<script type=\"text/javascript\">var yjSt = { page: 'history', rows: 50 };</script>\n"
             "<style type=\"text/css\">table.boardFin td { text-align: right; } .yjSb > a { color: #333; }</style>\n");
  doc.insert(doc.find("<table"),
             "<!-- price table -->\n<script type=\"text/javascript\"><!--\n"
             "if (document.images && a < b) { document.write('<img src=\"/b.gif\" alt=\"\">'); }\n//--></script>\n"
             "<p class=\"note\">&copy; 2013 Karigane &mdash; 株価 &yen;1,000 &hellip; &raquo; 次へ &larr; 前へ "
             "&#x2015; &frac12; &times; &deg;</p>\n"
             "<a href=\"/history/?code=1332&amp;sy=2012&sm=11&copy=1\">&laquo;前</a>\n");
  doc.insert(doc.find("</body>"),
             "<!-- footer -->\n<div id=\"footer\">&copy; Karigane &amp; Co. &trade;</div>\n"
             "<script>(function () { var s = document.createElement('script'); s.src = '/a.js?x=1&y=2'; })();</script>\n");
  return doc;
}

// Arg 0: the 50-row page (~13 KB); 1: the 30 KB page; 2: the 30 KB page with one rare entity;
// 3: the 50-row page with scripts, styles, comments and entities. Every one takes the quick
// path; BM_SerializeWithFullParser shows what the pages cost through the full HTML5 parser,
// which took every page with a script, a style or a rare entity before the quick path did.
std::string serializer_page(std::int64_t arg) {
  std::string doc = arg == 0 || arg == 3 ? history_document() : document_of_30kb();
  if (arg == 2) doc.insert(doc.find("</body>"), "&copy;");
  if (arg == 3) doc = with_scripts_styles_entities(doc);
  return doc;
}

void BM_SerializeHistoryPage(benchmark::State& state) {
  const std::string doc = serializer_page(state.range(0));
  std::string out;
  for (auto _ : state) {
    legacy_body_html(doc, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
  state.counters["page_bytes"] = static_cast<double>(doc.size());
}
BENCHMARK(BM_SerializeHistoryPage)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_SerializeWithFullParser(benchmark::State& state) {
  const std::string doc = serializer_page(state.range(0));
  std::string out;
  for (auto _ : state) {
    parsed_body_html(doc, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_SerializeWithFullParser)->Arg(0)->Arg(3)->Unit(benchmark::kMicrosecond);

// The bounds' measure of a page, which every page that leaves the quick path pays.
void BM_MeasureMarkup(benchmark::State& state) {
  const std::string doc = serializer_page(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(measure_markup(doc).elements);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_MeasureMarkup)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_RenderHistoryPage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(history_document());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderHistoryPage)->Unit(benchmark::kMicrosecond);

// What a time-series run does per window: page retrieval, over the run's kept connection
// (kept:1) or over a new connection for every page (kept:0, every page a run of its own, as
// pages were fetched before connections were kept). connections_per_page is what the site
// counted; over HTTPS each connection is a TLS handshake.
void fetch_pages(benchmark::State& state, karigane::bench::running_site& s) {
  const bool keep = state.range(0) == 1;
  run_context ctx;
  connection_settings connection;
  connection.ca_certificate_file = s.certificate;
  const std::string url = s.url + kQuery;
  s.control("/_control/reset");
  std::string page;
  std::string msg;
  double pages = 0;
  for (auto _ : state) {
    if (!keep) ctx.reset_run_state();
    retrieved_page r = retrieve_page(ctx, connection, url);
    page = std::move(r.page);
    msg = r.outcome.message();
    if (!msg.empty() || page.empty()) {
      state.SkipWithError("the page did not load");
      break;
    }
    ++pages;
  }
  state.SetItemsProcessed(state.iterations());  // pages per second
  if (pages > 0) state.counters["connections_per_page"] = static_cast<double>(s.connections()) / pages;
}

void BM_FetchAndSerializeHistoryPage(benchmark::State& state) { fetch_pages(state, site()); }
BENCHMARK(BM_FetchAndSerializeHistoryPage)->ArgName("kept")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FetchAndSerializeHistoryPageHttps(benchmark::State& state) {
  fetch_pages(state, karigane::bench::tls_site());
}
BENCHMARK(BM_FetchAndSerializeHistoryPageHttps)->ArgName("kept")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// The quote site's own rate: keep-alive clients asking for the 50-row page of varying stocks.
void BM_QuoteSitePages(benchmark::State& state) {
  CURL* h = curl_easy_init();
  curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
  const auto& stocks = data_set().stocks().all();
  std::size_t k = static_cast<std::size_t>(state.thread_index()) * 997;
  for (auto _ : state) {
    const std::string url = site().url + "/history/?code=" + stocks[k++ % stocks.size()].code +
                            "&sy=2012&sm=11&sd=30&ey=2013&em=02&ed=19&tm=d";
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    if (curl_easy_perform(h) != CURLE_OK) state.SkipWithError("no answer");
  }
  curl_easy_cleanup(h);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuoteSitePages)->Threads(1)->Threads(2)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
