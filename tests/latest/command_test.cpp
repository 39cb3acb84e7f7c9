// The latest-day collection and the update run end to end: the command line against the
// local quote site, with both clocks set inside and outside trading hours.
#include <gtest/gtest.h>

#include "core/file_store.h"
#include "core/text.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    out.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    out.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// The first `n` stock codes of the factory list from 1301 on.
std::vector<std::string> listed_codes(std::size_t n) {
  std::vector<std::string> codes;
  const std::vector<std::string> lines =
      split_lines(testing::cp932_file(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv"));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string code = fields(lines[i])[0];
    if (val(code) >= 1301 && codes.size() < n) codes.push_back(code);
  }
  return codes;
}

std::vector<std::string> search_requests(const quote_site_process& site) {
  std::vector<std::string> out;
  for (const std::string& r : site.requests()) {
    if (r.rfind("/search/", 0) == 0 || r.rfind("/fisco/", 0) == 0) out.push_back(r);
  }
  return out;
}

struct latest_fixture : ::testing::Test {
  void start(const std::string& now) {
    site = std::make_unique<quote_site_process>(std::vector<std::string>{"--now", now});
    ASSERT_TRUE(site->started());
    testing::write_site_settings(dir.path(), *site);
    clock = {"KARIGANE_NOW=" + now};
  }
  testing::process_result run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir.path()});
    return run_karigane(args, clock);
  }
  temp_folder dir;
  std::unique_ptr<quote_site_process> site;
  std::vector<std::string> clock;
};

TEST_F(latest_fixture, SixtyCodesAreThreeGroupsAndAnIntradayFileWhileTheMarketIsOpen) {
  start("2014-11-27T10:35");
  const std::vector<std::string> codes = listed_codes(60);
  std::string table = "60\r\n";
  for (const std::string& c : codes) table += c + "\r\n";
  testing::write_cp932(dir.path() + "download_code.csv", table);
  const auto r = run({"collect", "--table", "--latest", "--no-timeseries"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;

  auto group = [&](std::size_t from, std::size_t to) {
    std::string q;
    for (std::size_t i = from; i < to; ++i) q += (q.empty() ? "" : "+") + codes[i];
    return q + "+998407+998405";
  };
  const std::vector<std::string> requests = search_requests(*site);
  ASSERT_EQ(requests.size(), 6u);  // no index codes among the targets: no index page
  EXPECT_EQ(requests[0], "/search/?query=" + group(0, 25) + "&ei=UTF-8&view=l1");
  EXPECT_EQ(requests[1], "/search/?query=" + group(0, 25) + "&ei=UTF-8&view=l2");
  EXPECT_EQ(requests[2], "/search/?query=" + group(25, 50) + "&ei=UTF-8&view=l1");
  EXPECT_EQ(requests[4], "/search/?query=" + group(50, 60) + "&ei=UTF-8&view=l1");
  const auto out = r.lines();
  EXPECT_EQ(out[0], "最新日株価ダウンロード中　" + codes[0] + "～" + codes[24]);
  EXPECT_NE(std::find(out.begin(), out.end(), "最新日株価ダウンロード中　" + codes[50] + "～" + codes[59]),
            out.end());

  const std::vector<std::string> lines =
      split_lines(cp932_file(dir.path() + "kabuka/data_d/20141127_1035.csv"));
  ASSERT_EQ(lines.size(), 61u);
  EXPECT_EQ(lines[0], "20141127,60,銘柄,始値,高値,安値,終値,出来高,取引日");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto f = fields(lines[i]);
    ASSERT_EQ(f.size(), 9u) << lines[i];
    EXPECT_EQ(f[0], codes[i - 1]);
    EXPECT_TRUE(f[8] == "20141127_1035" || f[8].size() == 8) << lines[i];
  }
}

TEST_F(latest_fixture, AfterTheCloseTheFinalFileMarksStocksThatDidNotTrade) {
  start("2014-11-27T17:00");
  const auto r = run({"collect", "--range", "1000", "2000", "--latest", "--no-timeseries"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.lines()[r.lines().size() - 2], "最新日株価をダウンロードしました。");
  const std::vector<std::string> lines =
      split_lines(cp932_file(dir.path() + "kabuka/data_d/20141127.csv"));
  ASSERT_GT(lines.size(), 100u);
  EXPECT_EQ(lines[0], "20141127," + std::to_string(lines.size() - 1) +
                          ",銘柄,始値,高値,安値,終値,出来高");
  std::size_t marked = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto f = fields(lines[i]);
    ASSERT_EQ(f.size(), 8u) << lines[i];
    if (f[3] == "---") {
      ++marked;
      EXPECT_EQ(f[4] + f[5] + f[7], "---------") << lines[i];
      EXPECT_GT(val(f[6]), 0) << lines[i];
    }
  }
  EXPECT_GT(marked, 0u);
  EXPECT_LT(marked, lines.size() / 10);
  // The index rows take their volume from the index chart page after the close.
  EXPECT_EQ(fields(lines[1])[0], "1001");
  EXPECT_EQ(fields(lines[1])[7], fields(lines[2])[7]);
}

TEST_F(latest_fixture, TheStockListGainsTheStocksTheSiteListed) {
  start("2014-11-27T17:00");
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "2,20141120,市場名,銘柄名\r\n1001,o,大証指数,日経平均株価\r\n"
                       "7203,t,東証1部,トヨタ自動車(株)\r\n");
  const auto r = run({"collect", "--range", "1300", "1340", "--latest", "--no-timeseries"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(cp932_file(dir.path() + "meigara_list.csv"),
            "5,20141127,市場名,銘柄名\r\n1001,o,大証指数,日経平均株価\r\n"
            "1301,t,東証1部,(株)極洋\r\n1332,t,東証1部,日本水産(株)\r\n"
            "1334,t,東証1部,(株)マルハニチロホールディングス\r\n7203,t,東証1部,トヨタ自動車(株)\r\n");
}

TEST_F(latest_fixture, ASearchPageThatNeverMatchesEndsTheRun) {
  start("2014-11-27T17:00");
  // A page without the list (the site found nothing) is asked for again, but not forever.
  site->set_fault("no-stock", "", 0, "/search/");
  const auto r = run({"collect", "--code", "1301", "--latest", "--no-timeseries"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.lines().back(), "インターネットからデータを取得できませんでした。");
  EXPECT_EQ(search_requests(*site).size(), 10u);
}

TEST_F(latest_fixture, TheUpdateWritesTheLatestDayIntoEveryStoredSeries) {
  start("2014-11-27T17:00");
  const std::string main = dir.path() + "kabuka/data_m/";
  testing::write_cp932(main + "1301.csv", "1301,東証1部,(株)極洋,20141126,20141127,2\r\n"
                                          "20141126,1,1,1,1,1\r\n20141127,2,2,2,2,2\r\n");
  testing::write_cp932(main + "7203.csv", "7203,東証1部,トヨタ自動車(株),20141126,20141126,1\r\n"
                                          "20141126,5,5,5,5,5\r\n");
  testing::write_cp932(main + "9999.csv", "9999,x,y,20141126,20141126,1\r\n20141126,5,5,5,5,5\r\n");
  testing::write_cp932(dir.path() + "kabuka/2014/data_m/7203.csv",
                       "7203,東証1部,トヨタ自動車(株),20141126,20141126,1\r\n20141126,5,5,5,5,5\r\n");
  // Only "NNNN.csv" names a stock: "1e3x" reads as the number 1000 but is neither a code to
  // ask the site for nor a file to write 1301's day into.
  const std::string odd = "1301,東証1部,(株)極洋,20141126,20141126,1\r\n20141126,1,1,1,1,1\r\n";
  testing::write_cp932(main + "1e3x.csv", odd);
  testing::write_cp932(dir.path() + "kabuka/2014/data_m/1e3x.csv", odd);
  const auto r = run({"update"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.lines().back(), "更新処理を完了しました。");
  EXPECT_EQ(search_requests(*site)[0], "/search/?query=1301+7203+998407+998405&ei=UTF-8&view=l1");

  const auto toyota = split_lines(cp932_file(main + "7203.csv"));
  ASSERT_EQ(toyota.size(), 3u);
  EXPECT_EQ(toyota[0], "7203,東証1部,トヨタ自動車(株),20141126,20141127,2");
  EXPECT_EQ(toyota[2], "20141127,7160,7190,7125,7147,7765600");  // the real prices of that day
  EXPECT_EQ(split_lines(cp932_file(dir.path() + "kabuka/2014/data_m/7203.csv"))[2], toyota[2]);
  const auto kyokuyo = split_lines(cp932_file(main + "1301.csv"));
  ASSERT_EQ(kyokuyo.size(), 3u);
  EXPECT_EQ(kyokuyo[0], "1301,東証1部,(株)極洋,20141126,20141127,2");
  EXPECT_NE(kyokuyo[2], "20141127,2,2,2,2,2");
  EXPECT_EQ(cp932_file(main + "9999.csv"), "9999,x,y,20141126,20141126,1\r\n20141126,5,5,5,5,5\r\n");
  EXPECT_EQ(cp932_file(main + "1e3x.csv"), odd);
  EXPECT_EQ(cp932_file(dir.path() + "kabuka/2014/data_m/1e3x.csv"), odd);
  EXPECT_FALSE(folder_exists(dir.path() + "kabuka/data_d"));
}

TEST_F(latest_fixture, AStockMissingFromOneListViewIsLeftOutOfTheUpdateAndCounted) {
  start("2014-11-27T17:00");
  const std::string main = dir.path() + "kabuka/data_m/";
  const std::string kyokuyo = "1301,東証1部,(株)極洋,20141126,20141126,1\r\n20141126,1,1,1,1,1\r\n";
  struct missing_view {
    long skip;            // search requests about 1301 let pass first: 0 view l1, 1 view l2
    std::string fields;   // what the other view alone cannot give
  };
  for (const missing_view& m : {missing_view{0, "出来高,取引日"}, missing_view{1, "始値,高値,安値"}}) {
    SCOPED_TRACE(m.fields);
    ASSERT_TRUE(site->reset());
    ASSERT_TRUE(site->set_fault("unlisted", "1301", 1, "/search/", m.skip));
    testing::write_cp932(main + "1301.csv", kyokuyo);
    testing::write_cp932(main + "7203.csv", "7203,東証1部,トヨタ自動車(株),20141126,20141126,1\r\n"
                                            "20141126,5,5,5,5,5\r\n");
    const auto r = run({"update", "--latest"});
    EXPECT_EQ(r.exit_status, 3) << r.out << r.err;
    EXPECT_EQ(r.lines().back(), "更新処理を完了しました。");
    EXPECT_EQ(r.err, "失敗 1件\n1301 最新日株価: 検索結果に欠けている項目があります（" + m.fields + "）\n");
    // No half row in the stored series nor in the latest-day file; the other stock is whole.
    EXPECT_EQ(cp932_file(main + "1301.csv"), kyokuyo);
    EXPECT_EQ(split_lines(cp932_file(main + "7203.csv"))[2],
              "20141127,7160,7190,7125,7147,7765600");
    const auto latest = split_lines(cp932_file(dir.path() + "kabuka/data_d/20141127.csv"));
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[0], "20141127,1,銘柄,始値,高値,安値,終値,出来高");
    EXPECT_EQ(latest[1].rfind("7203,東証1部,", 0), 0u) << latest[1];
  }
}

TEST_F(latest_fixture, AnEmptyDatabaseHasNothingToUpdate) {
  start("2014-11-27T17:00");
  const auto r = run({"update"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.lines(), std::vector<std::string>{"収集されている時系列株価はありません。"});
  EXPECT_TRUE(site->requests().empty());
}

// The update reads the index chart page once, for the index volume and the market's days alike;
// a page it cannot have is a failure of the run (exit status 3), not a silent gap in a row.
TEST(UpdateCommand, ReadsTheIndexChartPageOnceAndCountsItWhenItFails) {
  quote_site_process site({"--now", "2014-11-27T17:00"});
  ASSERT_TRUE(site.started());
  const std::vector<std::string> now{"KARIGANE_NOW=2014-11-27T17:00"};
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "failing page" : "page");
    temp_folder dir;
    testing::write_site_settings(dir.path(), site);
    // The index 1001 (its volume comes from the page) and a stock whose newest row lies a
    // week back (a gap: the page's days settle it).
    testing::write_cp932(dir.path() + "kabuka/data_m/1001.csv",
                         "1001,,日経平均株価,20141126,20141126,1\r\n20141126,1,1,1,1,1\r\n");
    testing::write_cp932(dir.path() + "kabuka/data_m/1301.csv",
                         "1301,東証1部,(株)極洋,20141120,20141120,1\r\n20141120,1,1,1,1,1\r\n");
    ASSERT_TRUE(site.reset());
    if (fails) {
      ASSERT_TRUE(site.set_fault("forbidden", "", 0, "/fisco/cgi-bin/index.cgi"));
    }
    const auto r = run_karigane({"--dir", dir.path(), "update"}, now);
    std::size_t chart_requests = 0;
    for (const std::string& request : site.requests()) {
      if (request.rfind("/fisco/", 0) == 0) ++chart_requests;
    }
    EXPECT_EQ(chart_requests, fails ? 11u : 1u);  // one page: its attempts, once
    EXPECT_EQ(r.exit_status, fails ? 3 : 0) << r.err;
    EXPECT_EQ(r.lines().back(), "更新処理を完了しました。");
    EXPECT_EQ(r.err.find("失敗 1件\n最新日株価 指標データ: 該当URLをオープンできません。\n") !=
                  std::string::npos,
              fails)
        << r.err;
  }
}

// A clock behind the site (the site's latest trading day after the program's today) is a
// failure on its own line: no latest-day file dated by the site, no row written into a series.
TEST(LatestDayCommand, AClockBehindTheSiteIsAFailureAndWritesNothing) {
  quote_site_process site({"--now", "2014-11-28T17:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  const std::string series =
      "1301,東証1部,(株)極洋,20141125,20141126,2\r\n20141125,1,1,1,1,1\r\n20141126,2,2,2,2,2\r\n";
  testing::write_cp932(dir.path() + "kabuka/data_m/1301.csv", series);
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"update", "--latest"},
        std::vector<std::string>{"collect", "--latest", "--no-timeseries", "--code", "1301"}}) {
    SCOPED_TRACE(command[0]);
    std::vector<std::string> args{"--dir", dir.path()};
    args.insert(args.end(), command.begin(), command.end());
    const auto r = run_karigane(args, {"KARIGANE_NOW=2014-11-27T17:00"});
    EXPECT_EQ(r.exit_status, 3) << r.err;
    EXPECT_EQ(r.err,
              "失敗 1件\n最新日株価: サイトの最新取引日 2014/11/28 がこのコンピューターの今日 "
              "2014/11/27 より後です（時計をご確認ください）\n");
    EXPECT_FALSE(folder_exists(dir.path() + "kabuka/data_d"));
    EXPECT_EQ(cp932_file(dir.path() + "kabuka/data_m/1301.csv"), series);
  }
}

}  // namespace
}  // namespace karigane
