// The local quote site's company-profile pages, rendered in-process and passed through the
// browser's legacy serialization: every company's three pages give the extraction exactly the
// data set's figures; the statements are plausible; the faults and the routes of the pages.
#include <gtest/gtest.h>

#include "sources/quote_site/statement_page_extractor.h"
#include "page_routes.h"
#include "profile_page.h"
#include "site_data.h"
#include "support/recording_context.h"
#include "../quote_site/site_fixture.h"

namespace karigane {
namespace {

using quote_site::content_fault;
using quote_site::profile_page;
using quote_site::statement_kind;

constexpr const char* kNow = "2013-04-15T10:00";

struct kind_case {
  statement_kind kind;
  const char* text;
  const char* path;
};

constexpr kind_case kKinds[] = {{statement_kind::independent, "単独決算", "/independent/"},
                                {statement_kind::consolidated, "連結決算", "/consolidate/"},
                                {statement_kind::interim, "中間決算", "/interim/"}};

struct extraction {
  zaimu_tbl_t table;
  std::int16_t budget = 3;
  std::int16_t flag = 0;
  std::string message;
};

extraction extract(const std::string& kind, const std::string& page, const std::string& code) {
  testing::recording_context ctx;
  extraction e{empty_zaimu_table(code), 3, 0, ""};
  const page_reading r = read_statement_page(ctx, kind, page, true, e.table);
  e.flag = r.outcome.is_ok() ? 0 : -1;
  e.message = r.outcome.message();
  e.budget = r.verdict == page_verdict::accepted ? 0 : e.budget - 1;
  return e;
}

// Every ninth stock, and every company with fewer periods than columns.
TEST(ProfilePages, CompanyPagesGiveTheDataSetsFigures) {
  const auto& data = testing::site_data(kNow);
  int companies = 0, with_statements = 0;
  for (const kind_case& k : kKinds) {
    const profile_page page(data, k.kind);
    std::size_t index = 0;
    for (const auto& stock : data.stocks().all()) {
      if (stock.is_index()) continue;
      const auto shown = quote_site::shown_statements(data, stock, k.kind);
      const bool full = shown.size() == (k.kind == statement_kind::interim ? 2u : 3u);
      if (index++ % 9 != 0 && (full || shown.empty())) continue;
      SCOPED_TRACE(std::string(k.text) + " " + stock.code);
      const extraction e = extract(k.text, testing::legacy_page(page, k.path + stock.code), stock.code);
      const auto expected = testing::expected_records(data, stock.code, k.kind);
      if (k.kind == statement_kind::independent && stock.name.find("(株)") != std::string::npos) ++companies;
      if (expected.empty()) {
        EXPECT_EQ(e.message, "error b01:財務情報データはありません。");
        continue;
      }
      if (k.kind == statement_kind::independent) ++with_statements;
      ASSERT_EQ(e.flag, 0) << e.message;
      ASSERT_EQ(e.table.size(), expected.size() + 1);
      EXPECT_EQ(e.table[0][0], stock.code);
      EXPECT_EQ(e.table[0][2], stock.name);
      EXPECT_EQ(e.table[0][3], std::to_string(expected.size()));
      for (std::size_t r = 0; r < expected.size(); ++r) ASSERT_EQ(e.table[r + 1], expected[r]) << r;
    }
  }
  EXPECT_GT(companies, 300);
  EXPECT_GT(with_statements, companies * 9 / 10);
}

TEST(ProfilePages, StatementsArePlausible) {
  const auto& data = testing::site_data(kNow);
  const date today{2013, 4, 15};
  int march = 0, annual = 0, consolidated = 0, fewer = 0;
  for (const auto& stock : data.stocks().all()) {
    for (const kind_case& k : kKinds) {
      const auto periods = quote_site::shown_statements(data, stock, k.kind);
      if (periods.empty()) continue;
      const bool interim = k.kind == statement_kind::interim;
      EXPECT_LE(periods.size(), interim ? 2u : 3u);
      for (std::size_t i = 0; i < periods.size(); ++i) {
        const auto& p = periods[i];
        EXPECT_LE(p.announced, today) << stock.code;
        EXPECT_LT(p.period_end, p.announced);
        EXPECT_EQ(p.months, interim ? 6 : 12);
        if (i > 0) {
          EXPECT_EQ(p.period_end.y, periods[i - 1].period_end.y - 1);
        }
        EXPECT_GT(p.sales, 0);
        EXPECT_GT(p.total_assets, p.equity);
        EXPECT_GT(p.shares, 0);
      }
      if (k.kind == statement_kind::independent) {
        ++annual;
        if (periods[0].period_end.m == 3) ++march;
        if (periods.size() < 3) ++fewer;
      }
      if (k.kind == statement_kind::consolidated) ++consolidated;
    }
  }
  // Most fiscal years end in March; most companies have subsidiaries; a few are new.
  EXPECT_GT(march, annual * 6 / 10);
  EXPECT_LT(march, annual * 9 / 10);
  EXPECT_GT(consolidated, annual * 6 / 10);
  EXPECT_LT(consolidated, annual);
  EXPECT_GT(fewer, 0);
  // A March company's newest period on 15 April 2013 is the year ended March 2012, and its
  // interim page shows the half years ended September 2012 and 2011.
  const auto* kyokuyo = data.find("1301");
  ASSERT_NE(kyokuyo, nullptr);
  const auto annual_1301 = quote_site::shown_statements(data, *kyokuyo, statement_kind::independent);
  const auto interim_1301 = quote_site::shown_statements(data, *kyokuyo, statement_kind::interim);
  if (!annual_1301.empty() && annual_1301[0].period_end.m == 3) {
    EXPECT_EQ(annual_1301[0].period_end, (date{2012, 3, 31}));
    ASSERT_EQ(interim_1301.size(), 2u);
    EXPECT_EQ(interim_1301[0].period_end, (date{2012, 9, 30}));
    EXPECT_EQ(interim_1301[1].period_end, (date{2011, 9, 30}));
  }
}

TEST(ProfilePages, HeadingTabsAndEmptyColumnsInTheLegacyForm) {
  const auto& data = testing::site_data(kNow);
  const profile_page independent(data, statement_kind::independent);
  const std::string odd = testing::legacy_page(independent, "/independent/1301");
  for (const char* marker : {"alt=単独決算", "alt=連結決算", "alt=中間決算", "id=hrFinanceSearch",
                             "class=yjL>(株)極洋【1301】<", "関連情報", "code=1301\">",
                             ">決算期<", "</TBODY>"}) {
    EXPECT_NE(odd.find(marker), std::string::npos) << marker;
  }
  const std::string even = testing::legacy_page(independent, "/independent/1332");
  EXPECT_NE(even.find("class=yjL>日本水産(株)<"), std::string::npos);

  // A company with fewer periods than columns shows "‐" in the rest.
  bool found = false;
  for (const auto& stock : data.stocks().all()) {
    const auto periods = quote_site::shown_statements(data, stock, statement_kind::independent);
    if (periods.empty() || periods.size() == 3) continue;
    const std::string page = testing::legacy_page(independent, "/independent/" + stock.code);
    EXPECT_NE(page.find("<TD>‐</TD>"), std::string::npos) << stock.code;
    found = true;
    break;
  }
  EXPECT_TRUE(found);
}

TEST(ProfilePages, FaultsAndUnknownCodes) {
  const auto& data = testing::site_data(kNow);
  const profile_page page(data, statement_kind::consolidated);
  auto extract_with = [&](const std::string& path, content_fault fault, const std::string& code) {
    return extract("連結決算", testing::legacy_page(page, path, fault), code);
  };
  extraction e = extract_with("/consolidate/1301", content_fault::wrong_stock, "1301");
  EXPECT_EQ(e.message, "コード不一致");
  EXPECT_EQ(e.budget, 2);
  e = extract_with("/consolidate/1301", content_fault::no_data, "1301");
  EXPECT_EQ(e.message, "error b01:財務情報データはありません。");
  for (const char* path : {"/consolidate/1301", "/consolidate/1001", "/consolidate/9998", "/consolidate/"}) {
    SCOPED_TRACE(path);
    e = extract_with(path, std::string(path) == "/consolidate/1301" ? content_fault::no_stock : content_fault::none,
                     "1301");
    EXPECT_EQ(e.message, "決算情報取得不可");
  }
  // The year before: the same columns moved back one fiscal year.
  const auto now = testing::expected_records(data, "1301", statement_kind::consolidated);
  e = extract_with("/consolidate/1301", content_fault::wrong_period, "1301");
  if (now.size() == 3 && now[1][0] != "---") {
    ASSERT_EQ(e.flag, 0);
    EXPECT_EQ(e.table[1], now[1]);
  }
}

TEST(ProfilePages, RoutesTakeTheCodeAfterTheFolder) {
  const auto routes = quote_site::site_routes(testing::site_data(kNow));
  for (const char* path : {"/independent/1301", "/consolidate/1301", "/interim/9999", "/history/"}) {
    EXPECT_NE(quote_site::find_route(routes, path), routes.end()) << path;
  }
  for (const char* path : {"/independent/", "/independent", "/history/1301", "/interim/1301/x"}) {
    EXPECT_EQ(quote_site::find_route(routes, path), routes.end()) << path;
  }
}

}  // namespace
}  // namespace karigane
