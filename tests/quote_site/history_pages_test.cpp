// The history pages, rendered, serialized as the browser returns them, and walked the way the
// extractors walk them: every marker where they look, every row as the data set holds it.
#include <gtest/gtest.h>

#include "extractor_walk.h"
#include "markup/legacy_parsers.h"
#include "history_page.h"
#include "mobile_history_page.h"
#include "page_encoding.h"
#include "page_html.h"
#include "site_fixture.h"

namespace karigane::quote_site {
namespace {

using testing::factory_data;
using testing::legacy_page;
using testing::walk_history_page;
using testing::walk_mobile_page;

const char* kStock = "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d";
const char* kMobile = "/stock/historicaldata?code=1301.T&fy=2013&fm=1&fd=1&ty=2013&tm=2&td=19&cp=d";

std::string plain(std::int64_t hundredths, bool index) {
  std::string t = price_text(hundredths, index);
  std::erase(t, ',');
  return t;
}

// The rows the data set holds for the window, newest first, as the extractor stores them.
std::vector<std::array<std::string, 7>> expected_rows(const market_data& data, const std::string& code,
                                                      const date& from, const date& to) {
  const stock_info& s = *data.find(code);
  const auto days = data.trading_days(s, from, to);
  auto rows = data.daily_rows(s, days);
  std::vector<std::array<std::string, 7>> out;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    out.push_back({yyyymmdd(it->day), plain(it->open, s.is_index()), plain(it->high, s.is_index()),
                   plain(it->low, s.is_index()), plain(it->close, s.is_index()), std::to_string(it->volume),
                   plain(it->adjusted_close, s.is_index())});
  }
  return out;
}

TEST(HistoryPage, CarriesEveryMarkerOfTheHistoryExtractor) {
  const history_page kind(factory_data());
  const auto w = walk_history_page(legacy_page(kind, kStock), "1301");
  EXPECT_EQ(w.failed, "");
  EXPECT_FALSE(w.no_data);
  EXPECT_EQ(w.code, "1301");
  EXPECT_EQ(w.period, "2013/01/01-2013/02/19");
  EXPECT_EQ(w.name, "(株)極洋");
  EXPECT_EQ(w.market, "東証1部");
  EXPECT_EQ(w.rows, expected_rows(factory_data(), "1301", {2013, 1, 1}, {2013, 2, 19}));
  ASSERT_EQ(w.rows.size(), 31u);
  EXPECT_EQ(w.rows.front()[0], "20130219");
  EXPECT_EQ(w.rows.back()[0], "20130104");
  EXPECT_TRUE(w.splits.empty());
}

TEST(HistoryPage, NamesIndexesByTheirSiteCodeValue) {
  const history_page kind(factory_data());
  const auto page = legacy_page(kind, "/history/?code=998407&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=31&tm=d");
  EXPECT_NE(page.find("value=998407"), std::string::npos);
  const auto w = walk_history_page(page, "1001");
  EXPECT_EQ(w.failed, "");
  EXPECT_EQ(w.code, "1001");
  EXPECT_EQ(w.name, "日経平均株価");
  EXPECT_EQ(w.rows, expected_rows(factory_data(), "1001", {2013, 1, 1}, {2013, 1, 31}));
  EXPECT_EQ(w.rows.back()[4], "10688.11");  // the real close of 2013-01-04
  // Another index's page does not carry 998407.
  EXPECT_EQ(walk_history_page(legacy_page(kind, "/history/?code=998405&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=31"),
                              "1001").code,
            "not 1001");
}

TEST(HistoryPage, ListsSplitsAboveTheirDayWithAnEntityArrow) {
  const history_page kind(factory_data());
  const auto page = legacy_page(kind, "/history/?code=1378&sy=2004&sm=12&sd=20&ey=2005&em=01&ed=10&tm=d");
  EXPECT_NE(page.find("<TD>2004年12月27日</TD><TD colspan=6 class=through>分割: 1株 -&gt; 1.3株</TD></TR>\n"
                      "<TR><TD>2004年12月27日</TD><TD>568</TD>"),
            std::string::npos);
  const auto w = walk_history_page(page, "1378");
  EXPECT_EQ(w.failed, "");
  ASSERT_EQ(w.splits.size(), 1u);
  EXPECT_EQ(w.splits[0], (std::array<std::string, 3>{"20041227", "1", "1.3"}));
  EXPECT_EQ(w.rows, expected_rows(factory_data(), "1378", {2004, 12, 20}, {2005, 1, 10}));
}

TEST(HistoryPage, ShowsFiftyRowsAPageNewestFirst) {
  const history_page kind(factory_data());
  const std::string q = "/history/?code=1332&sy=2012&sm=06&sd=01&ey=2013&em=02&ed=19&tm=d";
  const auto first = walk_history_page(legacy_page(kind, q), "1332");
  const auto second = walk_history_page(legacy_page(kind, q + "&p=2"), "1332");
  const auto all = expected_rows(factory_data(), "1332", {2012, 6, 1}, {2013, 2, 19});
  ASSERT_GT(all.size(), 100u);
  ASSERT_EQ(first.rows.size(), 50u);
  ASSERT_EQ(second.rows.size(), 50u);
  EXPECT_EQ(first.rows.front(), all[0]);
  EXPECT_EQ(second.rows.front(), all[50]);
  EXPECT_EQ(second.period, first.period);
}

TEST(HistoryPage, SaysSoWhenThereIsNothingToShow) {
  const history_page kind(factory_data());
  // A window without trading days passes the checks and then reports no data.
  const auto holiday = walk_history_page(
      legacy_page(kind, "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=03&tm=d"), "1301");
  EXPECT_EQ(holiday.failed, "");
  EXPECT_TRUE(holiday.no_data);
  EXPECT_EQ(holiday.period, "2013/01/01-2013/01/03");
  EXPECT_EQ(walk_history_page(legacy_page(kind, "/history/?code=9998&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=31"),
                              "9998").failed,
            "no such page");
}

TEST(HistoryPage, ShowsTheContentFaultsAsTheRealSiteDid) {
  const history_page kind(factory_data());
  EXPECT_EQ(walk_history_page(legacy_page(kind, kStock, content_fault::wrong_stock), "1301").code, "1332");
  EXPECT_EQ(walk_history_page(legacy_page(kind, kStock, content_fault::wrong_period), "1301").period,
            "2012/01/01-2012/02/19");
  EXPECT_TRUE(walk_history_page(legacy_page(kind, kStock, content_fault::no_data), "1301").no_data);
  EXPECT_EQ(walk_history_page(legacy_page(kind, kStock, content_fault::no_stock), "1301").failed, "no such page");
}

TEST(HistoryPage, IsTheSamePageForTheSameSeed) {
  const history_page a(factory_data(1));
  const history_page b(factory_data(1));
  const history_page c(factory_data(2));
  EXPECT_EQ(a.render(testing::query_of(kStock), content_fault::none).body,
            b.render(testing::query_of(kStock), content_fault::none).body);
  EXPECT_NE(a.render(testing::query_of(kStock), content_fault::none).body,
            c.render(testing::query_of(kStock), content_fault::none).body);
}

TEST(HistoryPage, WritesNamesWithAmpersandsAndRareCharactersSafely) {
  market_sources sources;
  sources.stocks.add({"1301", "t", "東証1部", "A&B<C>𠮷(株)"});
  sources.now = *parse_local_time("2013-02-20T16:00");
  const market_data data(std::move(sources));
  const history_page kind(data);
  const auto page = legacy_page(kind, kStock);
  EXPECT_NE(page.find("<H1>A&amp;B&lt;C&gt;𠮷(株)</H1>"), std::string::npos);
  EXPECT_EQ(walk_history_page(page, "1301").name, "A&B&lt;C&gt;－(株)");
}

TEST(MobileHistoryPage, CarriesEveryMarkerOfTheMobileExtractor) {
  const mobile_history_page kind(factory_data());
  const auto page = legacy_page(kind, kMobile);
  EXPECT_NE(page.find("<SELECT name=fy> <OPTION value=1983>"), std::string::npos);
  EXPECT_NE(page.find("<OPTION value=2013 selected>2013</OPTION>"), std::string::npos);
  const auto w = walk_mobile_page(page, "1301");
  EXPECT_EQ(w.failed, "");
  EXPECT_EQ(w.code, "1301");
  EXPECT_EQ(w.period, "2013/01/01-2013/02/19");
  EXPECT_EQ(w.name, "(株)極洋");
  EXPECT_EQ(w.market, "東証1部");
  EXPECT_EQ(w.rows, expected_rows(factory_data(), "1301", {2013, 1, 1}, {2013, 2, 19}));
  EXPECT_NE(page.find("<TD>2013/1/4</TD>"), std::string::npos);
}

TEST(MobileHistoryPage, NamesIndexesAfterTheirValueAndDatesSplitsInKanji) {
  const mobile_history_page kind(factory_data());
  const auto index = walk_mobile_page(
      legacy_page(kind, "/stock/historicaldata?code=998407.O&fy=2013&fm=1&fd=1&ty=2013&tm=1&td=31&cp=d"), "1001");
  EXPECT_EQ(index.failed, "");
  EXPECT_EQ(index.code, "1001");
  EXPECT_EQ(index.name, "日経平均株価");
  EXPECT_EQ(index.market, "大証指数");
  EXPECT_EQ(index.rows, expected_rows(factory_data(), "1001", {2013, 1, 1}, {2013, 1, 31}));

  const auto split = walk_mobile_page(
      legacy_page(kind, "/stock/historicaldata?code=1378.T&fy=2004&fm=12&fd=20&ty=2005&tm=1&td=10&cp=d"), "1378");
  EXPECT_EQ(split.failed, "");
  ASSERT_EQ(split.splits.size(), 1u);
  EXPECT_EQ(split.splits[0], (std::array<std::string, 3>{"20041227", "1", "1.3"}));
  EXPECT_EQ(split.rows, expected_rows(factory_data(), "1378", {2004, 12, 20}, {2005, 1, 10}));
}

TEST(MobileHistoryPage, SaysSoWhenThereIsNothingToShowAndShowsFaults) {
  const mobile_history_page kind(factory_data());
  const auto holiday = walk_mobile_page(
      legacy_page(kind, "/stock/historicaldata?code=1301.T&fy=2013&fm=1&fd=1&ty=2013&tm=1&td=3&cp=d"), "1301");
  EXPECT_EQ(holiday.failed, "");
  EXPECT_TRUE(holiday.no_data);
  EXPECT_EQ(walk_mobile_page(legacy_page(kind, kMobile, content_fault::no_stock), "1301").failed, "no such page");
  EXPECT_EQ(walk_mobile_page(legacy_page(kind, kMobile, content_fault::wrong_stock), "1301").code, "1332");
  EXPECT_EQ(walk_mobile_page(legacy_page(kind, kMobile, content_fault::wrong_period), "1301").period,
            "2012/01/01-2012/02/19");
  EXPECT_TRUE(walk_mobile_page(legacy_page(kind, kMobile, content_fault::no_data), "1301").no_data);
}

TEST(SitePages, TakeTheSerializersQuickPathAndComeOutAsFromTheFullParser) {
  const history_page history(factory_data());
  const mobile_history_page mobile(factory_data());
  const std::pair<const page_kind*, const char*> pages[] = {
      {&history, kStock},
      {&history, "/history/?code=998407&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=31&tm=d"},
      {&history, "/history/?code=1378&sy=2004&sm=12&sd=20&ey=2005&em=01&ed=10&tm=d"},
      {&history, "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=01&ed=03&tm=d"},
      {&history, "/history/?code=9998"},
      {&mobile, kMobile},
      {&mobile, "/stock/historicaldata?code=998407.O&fy=2013&fm=1&fd=1&ty=2013&tm=1&td=31&cp=d"},
      {&mobile, "/stock/historicaldata?code=9998.T"},
  };
  for (const auto& [kind, query] : pages) {
    const std::string doc = page_document(kind->render(testing::query_of(query), content_fault::none), page_encoding{});
    std::string quick;
    std::string full;
    ASSERT_TRUE(plain_page_body_html(doc, quick)) << query;
    ASSERT_TRUE(parsed_body_html(doc, full));
    EXPECT_EQ(quick, full) << query;
  }
}

}  // namespace
}  // namespace karigane::quote_site
