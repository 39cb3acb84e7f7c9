// The time-series collection end to end: the command line against the local quote site.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <sstream>

#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

const std::vector<std::string> kClock{"KARIGANE_NOW=2014-01-10T17:00"};

std::vector<std::string> history_requests(const quote_site_process& site) {
  std::vector<std::string> out;
  for (const std::string& r : site.requests()) {
    if (r.rfind("/history/", 0) == 0 || r.rfind("/stock/", 0) == 0) out.push_back(r);
  }
  return out;
}

// The real rows of data/prices/7203.csv between two dates, as file lines.
std::string real_toyota_lines(const std::string& from, const std::string& to, int& count) {
  std::ifstream in(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "prices/7203.csv");
  std::string line;
  std::string lines;
  count = 0;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const std::string day = line.substr(0, 8);
    if (day < from || day > to) continue;
    lines += line + "\r\n";
    ++count;
  }
  return lines;
}

TEST(CollectTimeSeries, AYearOfOneStockIsEightPagesAndAnAscendingFile) {
  quote_site_process site;
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "7203", "--from",
                               "2013/01/01", "--to", "2013/12/31"},
                              kClock);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(history_requests(site),
            (std::vector<std::string>{
                "/history/?code=7203&sy=2013&sm=11&sd=12&ey=2013&em=12&ed=31&tm=d",
                "/history/?code=7203&sy=2013&sm=09&sd=23&ey=2013&em=11&ed=11&tm=d",
                "/history/?code=7203&sy=2013&sm=08&sd=04&ey=2013&em=09&ed=22&tm=d",
                "/history/?code=7203&sy=2013&sm=06&sd=15&ey=2013&em=08&ed=03&tm=d",
                "/history/?code=7203&sy=2013&sm=04&sd=26&ey=2013&em=06&ed=14&tm=d",
                "/history/?code=7203&sy=2013&sm=03&sd=07&ey=2013&em=04&ed=25&tm=d",
                "/history/?code=7203&sy=2013&sm=01&sd=16&ey=2013&em=03&ed=06&tm=d",
                "/history/?code=7203&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=15&tm=d"}));
  const auto lines = r.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "銘柄コードのチェック処理");
  EXPECT_EQ(lines[1], "7203 2013/11/12～2013/12/31 時系列株価処理中");
  EXPECT_EQ(lines.back(), "収集処理を完了しました。");

  // The stored rows are the real prices of the year, byte for byte.
  int count = 0;
  const std::string rows = real_toyota_lines("20130101", "20131231", count);
  ASSERT_GT(count, 240);
  EXPECT_EQ(cp932_file(dir.path() + "kabuka/data_m/7203.csv"),
            "7203,東証1部,トヨタ自動車(株),20130104,20131230," + std::to_string(count) + "\r\n" + rows);
}

TEST(CollectTimeSeries, TheMobileFormWarmsUpAndAsksWithoutLeadingZeros) {
  quote_site_process site;
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site, "時系列株価取得サイト,Ｍ\r\n");
  // The mobile page's code carries the market letter of the stock list.
  testing::write_factory_stock_list(dir.path());
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "7203", "--from",
                               "2013/01/01", "--to", "2013/02/19"},
                              kClock);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(history_requests(site),
            (std::vector<std::string>{
                "/history/?code=1301&sy=2013&sm=1&sd=1&ey=2013&em=1&ed=15&tm=d",
                "/stock/historicaldata?code=7203.T&fy=2013&fm=1&fd=1&ty=2013&tm=2&td=19&cp=d"}));
  int count = 0;
  const std::string rows = real_toyota_lines("20130101", "20130219", count);
  EXPECT_EQ(cp932_file(dir.path() + "kabuka/data_m/7203.csv"),
            "7203,東証1部,トヨタ自動車(株),20130104,20130219," + std::to_string(count) + "\r\n" + rows);
}

TEST(CollectTimeSeries, SplitsAndYearlyFiles) {
  quote_site_process site;
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "1378", "--from",
                               "2008/12/01", "--to", "2009/04/30", "--yearly"},
                              kClock);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(cp932_file(dir.path() + "kabuka/data_mh/1378.csv"),
            "1378,(株)雪国まいたけ,1\r\n20090326,1,1.2\r\n");
  EXPECT_EQ(cp932_file(dir.path() + "kabuka/2009/data_mh/1378.csv"),
            "1378,(株)雪国まいたけ,1\r\n20090326,1,1.2\r\n");
  EXPECT_FALSE(testing::file_bytes(dir.path() + "kabuka/2008/data_mh/1378.csv").size());
  jikeiretu_data_t y2008;
  jikeiretu_data_t y2009;
  ASSERT_EQ(read_dated_file(dir.path() + "kabuka/2008/data_m/1378.csv", y2008, kPriceFile, false),
            status::ok);
  ASSERT_EQ(read_dated_file(dir.path() + "kabuka/2009/data_m/1378.csv", y2009, kPriceFile, false),
            status::ok);
  EXPECT_EQ(y2008[0][kPriceOldest], "20081201");
  EXPECT_EQ(y2008[0][kPriceNewest], "20081230");
  EXPECT_EQ(y2009[0][kPriceOldest], "20090105");
  EXPECT_EQ(y2009[0][kPriceNewest], "20090430");
  jikeiretu_data_t main_file;
  ASSERT_EQ(read_dated_file(dir.path() + "kabuka/data_m/1378.csv", main_file, kPriceFile, false),
            status::ok);
  EXPECT_EQ(price_count(main_file), price_count(y2008) + price_count(y2009));
}

TEST(CollectTimeSeries, AWrongStockIsAskedForFiveTimesAndNoSuchStockThree) {
  quote_site_process site({"--fault", "mode=wrong-stock&codes=1301",
                           "--fault", "mode=no-stock&codes=1332"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "1301", "--from", "2013/01/01",
                         "--to", "2013/03/01"},
                        kClock);
  EXPECT_EQ(r.exit_status, 3);  // completed, with both windows in the failure tally
  // Two windows, five fetches each; nothing stored.
  EXPECT_EQ(history_requests(site).size(), 10u);
  EXPECT_TRUE(testing::file_bytes(dir.path() + "kabuka/data_m/1301.csv").empty());

  site.reset();
  site.set_fault("no-stock", "1332");
  r = run_karigane({"--dir", dir.path(), "collect", "--code", "1332", "--from", "2013/01/01",
                    "--to", "2013/02/19"},
                   kClock);
  EXPECT_EQ(r.exit_status, 3);
  EXPECT_EQ(history_requests(site).size(), 3u);
  EXPECT_TRUE(testing::file_bytes(dir.path() + "kabuka/data_m/1332.csv").empty());
}

TEST(CollectTimeSeries, AFolderThatCannotBeMadeEndsTheRunInRedWithStatus1) {
  quote_site_process site;
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  testing::write_bytes(dir.path() + "kabuka/data_m", "a file where the price folder belongs");
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "7203", "--from",
                               "2013/01/01", "--to", "2013/02/19"},
                              kClock);
  EXPECT_EQ(r.exit_status, 1) << r.out;
  ASSERT_FALSE(r.lines().empty());
  EXPECT_EQ(r.lines().back(), "ファイルを書き込めません: kabuka/data_m/");
  EXPECT_EQ(testing::file_bytes(dir.path() + "kabuka/data_m"),
            "a file where the price folder belongs");
  EXPECT_TRUE(history_requests(site).empty());
}

TEST(CollectTimeSeries, AnUnknownPageFormEndsTheRunWithAClearMessage) {
  quote_site_process site;
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site, "時系列株価取得サイト,旧\r\n");
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "1301"}, kClock);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.lines().back(),
            "設定ファイルの時系列株価取得サイト「旧」は使えません。「新」か「Ｍ」を指定してください。");
  EXPECT_TRUE(site.requests().empty());
}

TEST(CollectTimeSeries, AStopLeavesTheEarlierStocksIntactAndTheCurrentOneUnwritten) {
  quote_site_process site;
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  bool sent = false;
  const auto r = run_karigane(
      {"--dir", dir.path(), "collect", "--range", "1301", "1400", "--from", "2012/01/01", "--to",
       "2013/12/31"},
      kClock, [&](int pid, const std::string& out) {
        if (!sent && out.find("1334 2013/11/12") != std::string::npos) {
          ::kill(pid, SIGINT);
          sent = true;
        }
      });
  ASSERT_TRUE(sent);
  EXPECT_EQ(r.exit_status, 130);
  EXPECT_EQ(r.lines().back(), "処理を中断しました。");
  for (const char* code : {"1301", "1332"}) {
    jikeiretu_data_t t;
    EXPECT_EQ(read_dated_file(dir.path() + "kabuka/data_m/" + code + ".csv", t, kPriceFile, false),
              status::ok)
        << code;
    EXPECT_GT(price_count(t), 400u) << code;
  }
  EXPECT_TRUE(testing::file_bytes(dir.path() + "kabuka/data_m/1334.csv").empty());
}

// A run keeps its connection open: a hundred pages travel over one (a few, should the server
// close one), over HTTP and over HTTPS, where each connection costs a TLS handshake. The
// certificate is trusted through settei.txt.
TEST(CollectTimeSeries, AHundredPagesTravelOverOneConnectionAlsoOverHttps) {
  temp_folder certs;
  ASSERT_TRUE(testing::make_test_certificate(certs.path()));
  for (const bool tls : {false, true}) {
    SCOPED_TRACE(tls ? "https" : "http");
    std::vector<std::string> options;
    if (tls) options = {"--tls", certs.path() + "cert.pem", certs.path() + "key.pem"};
    quote_site_process site(options);
    ASSERT_TRUE(site.started());
    temp_folder dir;
    testing::write_site_settings(dir.path(), site,
                                 tls ? "CA証明書ファイル," + site.certificate() + "\r\n" : "");
    const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "7203", "--from",
                                 "2000/01/01", "--to", "2013/09/08"},
                                kClock);
    ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
    EXPECT_EQ(history_requests(site).size(), 100u);
    EXPECT_GE(site.connections(), 1);
    EXPECT_LE(site.connections(), 3);
  }
}

}  // namespace
}  // namespace karigane
