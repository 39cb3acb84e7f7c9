// The two margin-page extractors on hand-written pages: rows, names, codes, the page checks
// and their effect on the retry budget.
#include <gtest/gtest.h>

#include "sources/quote_site/margin_history_extractor.h"
#include "sources/quote_site/old_table_extractor.h"
#include "margin_pages.h"
#include "support/page_reading_steps.h"
#include "support/recording_context.h"

namespace karigane {
namespace {

using testing::margin_page;
using testing::two_weeks;

const kikan_row kWindow{"", date{2013, 1, 1}, date{2013, 9, 7}};

enum class layout { history, old_table };

struct extraction {
  credit_tbl_t table;
  std::int16_t budget = 5;
  std::int16_t flag = 0;
  std::string message;
};

std::string page_of(layout l, const margin_page& p) {
  return l == layout::history ? testing::new_margin_page(p) : testing::old_margin_page(p);
}

void extract_into(layout l, const std::string& page, extraction& e) {
  testing::recording_context ctx;
  const bool verify = e.budget > 0;
  const page_reading r = l == layout::history
                             ? read_margin_history_page(ctx, page, kWindow, verify, e.table)
                             : read_old_margin_table(ctx, page, kWindow, verify, e.table);
  testing::count_reading(r, e.budget, e.flag, e.message);
}

extraction extract(layout l, const std::string& page, const std::string& code = "1301",
                   std::int16_t budget = 5) {
  extraction e{empty_credit_table(code), budget, 0, ""};
  extract_into(l, page, e);
  return e;
}

class BothLayouts : public ::testing::TestWithParam<layout> {};

INSTANTIATE_TEST_SUITE_P(Margin, BothLayouts, ::testing::Values(layout::history, layout::old_table),
                         [](const auto& info) { return info.param == layout::history ? "History" : "OldTable"; });

TEST_P(BothLayouts, RowsKeepTheDateAndTheSecondThirdAndSixthCellsWithoutSeparators) {
  const extraction e = extract(GetParam(), page_of(GetParam(), two_weeks()));
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.message, "");
  EXPECT_EQ(e.budget, 0);
  ASSERT_EQ(e.table.size(), 3u);
  EXPECT_EQ(e.table[0], (credit_row{"1301", GetParam() == layout::history ? "東証1部" : "", "(株)極洋", "2"}));
  EXPECT_EQ(e.table[1], (credit_row{"20130111", "1234500", "2345600", "1.90"}));
  EXPECT_EQ(e.table[2], (credit_row{"20130104", "1222200", "2350100", "1.92"}));
}

TEST_P(BothLayouts, RowsOfLaterWindowsFollowTheStoredOnes) {
  extraction e{empty_credit_table("1301"), 5, 0, ""};
  extract_into(GetParam(), page_of(GetParam(), two_weeks()), e);
  margin_page older = two_weeks();
  older.rows = {{"2012年12月28日", "1,000", "2,000", "0", "0", "2.00"}};
  e.budget = 5;
  extract_into(GetParam(), page_of(GetParam(), older), e);
  EXPECT_EQ(e.table[0][kCreditCount], "3");
  EXPECT_EQ(e.table[3], (credit_row{"20121228", "1000", "2000", "2.00"}));
}

TEST_P(BothLayouts, ARowWithOnlyFourCellsLeavesTheSixthEmpty) {
  margin_page p = two_weeks();
  p.rows[1].resize(4);
  const extraction e = extract(GetParam(), page_of(GetParam(), p));
  EXPECT_EQ(e.table[0][kCreditCount], "2");
  EXPECT_EQ(e.table[2], (credit_row{"20130104", "1222200", "2350100", ""}));
}

TEST_P(BothLayouts, AnotherStockIsFetchedAgainWithinTheFullBudget) {
  margin_page p = two_weeks();
  p.code = "1332.T";
  const extraction e = extract(GetParam(), page_of(GetParam(), p));
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "信用売買残情報はありませんでした");
  EXPECT_EQ(e.budget, 4);
  EXPECT_EQ(e.table[0][kCreditCount], "0");
}

TEST_P(BothLayouts, AnotherPeriodIsFetchedAgain) {
  margin_page p = two_weeks();
  p.to[2] = "6";
  const extraction e = extract(GetParam(), page_of(GetParam(), p));
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.budget, 4);
  EXPECT_EQ(e.message, GetParam() == layout::history ? "信用売買残情報はありませんでした"
                                                      : "信用売買残の情報はありませんでした");
}

TEST_P(BothLayouts, APageWithoutACodeCapsTheBudgetAtThree) {
  const extraction e = extract(GetParam(), "<BODY>メンテナンス中です</BODY>");
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "信用売買残情報はありませんでした");
  EXPECT_EQ(e.budget, 2);
}

TEST_P(BothLayouts, AnIndexPageGivesNoRows) {
  margin_page p = two_weeks();
  p.code = "998405.T";
  p.name = "TOPIX";
  const extraction e = extract(GetParam(), page_of(GetParam(), p), "1002");
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.message, "");
  EXPECT_EQ(e.budget, 0);
  EXPECT_EQ(e.table[0][kCreditCode], "1002");
  EXPECT_EQ(e.table[0][kCreditMarket], "");
  EXPECT_EQ(e.table[0][kCreditCount], "0");
  EXPECT_EQ(e.table.size(), 1u);
}

TEST(MarginHistoryPage, NoSuchStockIsFetchedAtMostThreeTimes) {
  margin_page p = two_weeks();
  p.extra = "該当する銘柄はありません";
  extraction e{empty_credit_table("1301"), 5, 0, ""};
  int fetches = 0;
  do {
    extract_into(layout::history, testing::new_margin_page(p), e);
    ++fetches;
  } while (e.budget > 0);
  EXPECT_EQ(fetches, 3);
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "信用売買残情報はありませんでした");
}

TEST(MarginHistoryPage, TheNoDataTextsEndTheRetriesWithoutRows) {
  margin_page p = two_weeks();
  p.extra = "該当する期間のデータはありません";
  extraction e = extract(layout::history, testing::new_margin_page(p));
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.budget, 0);
  EXPECT_EQ(e.message, "error b01:該当する期間のデータはありません。");
  EXPECT_EQ(e.table[0][kCreditCount], "0");
  // A "no such stock" page is only read when no checks are left.
  p.extra = "該当する銘柄はありません";
  e = extract(layout::history, testing::new_margin_page(p), "1301", 0);
  EXPECT_EQ(e.message, "error b02:該当する銘柄はありません。");
  EXPECT_EQ(e.flag, 0);
}

TEST(OldTablePage, ItsNoDataTextsFailTheChecksUntilTheBudgetIsSpent) {
  // "この検索期間の信用残データはありません" holds the no-stock text, so the checks refuse it.
  margin_page p = two_weeks();
  p.extra = "この検索期間の信用残データはありません";
  extraction e = extract(layout::old_table, testing::old_margin_page(p));
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.budget, 2);
  e = extract(layout::old_table, testing::old_margin_page(p), "1301", 0);
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.message, "error b01:信用残データはありません。");
  EXPECT_EQ(e.table[0][kCreditCount], "0");
}

TEST(MarginHistoryPage, StockNamesAreCleaned) {
  margin_page p = two_weeks();
  p.name = "A&amp;B&amp;C𠮷";
  EXPECT_EQ(extract(layout::history, testing::new_margin_page(p)).table[0][kCreditName], "A&B&amp;C－");
}

TEST(MarginHistoryPage, ContentFailuresEndTheRetriesWithoutRows) {
  const std::string good = testing::new_margin_page(two_weeks());
  auto with = [&](const std::string& what, const std::string& by) {
    std::string s = good;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + by.size())) {
      s.replace(at, what.size(), by);
    }
    return s;
  };
  const std::pair<std::string, std::string> cases[] = {
      {with("<H1>", "<H3>"), "error b12:銘柄名が取得できませんでした。"},
      {with("yjSb", "yjS"), "error b21:市場名が取得できませんでした。"},
      {with(">詳細情報<", ">情報<"), "error b31:コードが取得できませんでした。"},
      {with(">信用倍率<", ">倍率<"), "error b41:前方データ削除ができませんでした。"},
      {with("</TBODY>", ""), "error b51:後方データ削除ができませんでした。"},
      {with("</TR>", ""), "error b52:後方データ削除ができませんでした。"},
  };
  for (const auto& [page, message] : cases) {
    const extraction e = extract(layout::history, page);
    EXPECT_EQ(e.message, message);
    EXPECT_EQ(e.flag, 0) << message;
    EXPECT_EQ(e.budget, 0) << message;
    EXPECT_EQ(e.table[0][kCreditCount], "0") << message;
  }
  // Another code after 詳細情報 than at the head of the page.
  std::string other = good;
  other.replace(other.rfind("code=1301.T"), 11, "code=1332.T");
  EXPECT_EQ(extract(layout::history, other).message, "error b32:コードが取得できませんでした。");
}

TEST(OldTablePage, NameMarkersAndTheCodeRange) {
  const std::string good = testing::old_margin_page(two_weeks());
  std::string no_table_name = good;
  no_table_name.replace(no_table_name.find("id=tableName"), 12, "id=table");
  EXPECT_EQ(extract(layout::old_table, no_table_name).message, "error b11:銘柄名が取得できませんでした。");
  std::string no_xl = good;
  no_xl.replace(no_xl.find("class=yjXL"), 10, "class=yjL");
  EXPECT_EQ(extract(layout::old_table, no_xl).message, "error b12:銘柄名が取得できませんでした。");
  // A code outside 1000..9999 cannot be a stock's.
  margin_page p = two_weeks();
  p.code = "99999.T";
  const extraction e = extract(layout::old_table, testing::old_margin_page(p), "99999");
  EXPECT_EQ(e.message, "error b31:コードが取得できませんでした。");
  EXPECT_EQ(e.flag, 0);
}

}  // namespace
}  // namespace karigane
