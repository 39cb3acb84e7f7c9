// The two history-page extractors on hand-written pages: rows, names, codes, the page checks
// and their effect on the retry budget.
#include <gtest/gtest.h>

#include "history_pages.h"
#include "support/page_reading_steps.h"
#include "support/recording_context.h"
#include "sources/quote_site/history_page_extractor.h"
#include "sources/quote_site/mobile_page_extractor.h"

namespace karigane {
namespace {

using testing::history_page;
using testing::page_row;

const kikan_row kWindow{"", date{2013, 1, 1}, date{2013, 2, 19}};

struct extraction {
  jikeiretu_data_t prices;
  bunkatu_list_t splits;
  std::int16_t budget = 5;
  std::int16_t flag = 0;
  std::string message;
};

enum class form { history, mobile };

extraction extract(form f, const std::string& page, const std::string& code = "1301",
                   std::int16_t budget = 5) {
  testing::recording_context ctx;
  extraction e{empty_price_table(code), empty_split_table(code), budget, 0, ""};
  price_rows rows{e.prices, e.splits};
  const page_reading r = f == form::history ? read_history_page(ctx, page, kWindow, rows)
                                            : read_mobile_history_page(ctx, page, kWindow, rows);
  e.prices = std::move(rows.prices);
  e.splits = std::move(rows.splits);
  testing::count_reading(r, e.budget, e.flag, e.message);
  return e;
}

history_page two_rows() {
  history_page p;
  p.rows = {{"2013年1月7日", "1,790", "1,800", "1,780", "1,795", "1,234,500", "1,795"},
            {"2013年1月4日", "1,780", "1,790", "1,770", "1,785", "98,000", "1,785"}};
  return p;
}

history_page mobile(history_page p) {
  for (auto& r : p.rows) {
    const std::size_t y = r.date.find("年");
    const std::size_t m = r.date.find("月");
    const std::size_t d = r.date.find("日");
    r.date = r.date.substr(0, y) + "/" + r.date.substr(y + 3, m - y - 3) + "/" +
             r.date.substr(m + 3, d - m - 3);
  }
  return p;
}

TEST(HistoryPage, PriceRowsWithSeparatorsAndKanjiDates) {
  const extraction e = extract(form::history, testing::new_form_page(two_rows()));
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.message, "");
  EXPECT_EQ(e.budget, 0);
  ASSERT_EQ(e.prices.size(), 3u);
  EXPECT_EQ(e.prices[0][kPriceCount], "2");
  EXPECT_EQ(e.prices[0][kPriceName], "(株)極洋");
  EXPECT_EQ(e.prices[0][kPriceMarket], "東証1部");
  EXPECT_EQ(e.prices[0][kPriceOldest], "20130104");
  EXPECT_EQ(e.prices[0][kPriceNewest], "20130107");
  EXPECT_EQ(e.prices[1], (jikeiretu_row{"20130107", "1790", "1800", "1780", "1795", "1234500", "1795"}));
  EXPECT_EQ(e.prices[2][0], "20130104");
  EXPECT_EQ(e.prices[2][5], "98000");
}

TEST(HistoryPage, RowsOfLaterWindowsAccumulate) {
  testing::recording_context ctx;
  price_rows rows = empty_price_rows("1301");
  const std::string page = testing::new_form_page(two_rows());
  read_history_page(ctx, page, kWindow, rows);
  read_history_page(ctx, page, kWindow, rows);
  EXPECT_EQ(rows.prices[0][kPriceCount], "4");
  EXPECT_EQ(rows.prices[4][0], "20130104");
}

TEST(HistoryPage, ASplitRowIsASplitAndNotAPrice) {
  history_page p = two_rows();
  p.split_rows = {"2013年9月26日", "分割: 1株 -&gt; 100株"};
  const extraction e = extract(form::history, testing::new_form_page(p));
  EXPECT_EQ(e.prices[0][kPriceCount], "2");
  ASSERT_EQ(e.splits[0][kSplitCount], "1");
  EXPECT_EQ(e.splits[1], (bunkatu_row{"20130926", "1", "100"}));
  EXPECT_EQ(e.splits[0][kSplitName], "(株)極洋");
}

TEST(HistoryPage, StockNamesAreCleaned) {
  history_page p = two_rows();
  p.name = "A&amp;B&amp;C𠮷";
  EXPECT_EQ(extract(form::history, testing::new_form_page(p)).prices[0][kPriceName], "A&B&amp;C－");
}

TEST(HistoryPage, IndexCodesNeedTheirSiteCodeAndHaveNoMarketName) {
  history_page p = two_rows();
  p.code = "998407.O";
  p.name = "日経平均株価";
  const extraction e = extract(form::history, testing::new_form_page(p), "1001");
  EXPECT_EQ(e.message, "");
  EXPECT_EQ(e.prices[0][kPriceCode], "1001");
  EXPECT_EQ(e.prices[0][kPriceMarket], "");
  EXPECT_EQ(e.prices[0][kPriceCount], "2");
  // A page without "value=998407" is not the index's page.
  p.code = "998405.T";
  const extraction other = extract(form::history, testing::new_form_page(p), "1001");
  EXPECT_EQ(other.message, "error b32:コードが取得できませんでした。");
  EXPECT_EQ(other.prices[0][kPriceCount], "0");
}

TEST(HistoryPage, VerificationFailuresLowerTheBudget) {
  history_page p = two_rows();
  p.extra = "価格データはありません";
  extraction e = extract(form::history, testing::new_form_page(p));
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "株価情報はありませんでした");
  EXPECT_EQ(e.budget, 2);  // capped at 3, then one less

  p = two_rows();
  p.code = "1332.T";
  e = extract(form::history, testing::new_form_page(p));
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.budget, 4);
  EXPECT_EQ(e.prices[0][kPriceCount], "0");

  p = two_rows();
  p.to[2] = "18";
  e = extract(form::history, testing::new_form_page(p));
  EXPECT_EQ(e.budget, 4);
  EXPECT_EQ(e.message, "株価情報はありませんでした");

  // No "code=" at all: capped.
  e = extract(form::history, "<BODY>nothing</BODY>");
  EXPECT_EQ(e.budget, 2);
}

TEST(HistoryPage, ContentFailuresEndTheRetriesWithoutRows) {
  struct content_case {
    std::string page;
    std::string message;
  };
  history_page no_data = two_rows();
  no_data.extra = "該当する期間のデータはありません";
  const std::string good = testing::new_form_page(two_rows());
  auto without = [&](const std::string& what, const std::string& with) {
    std::string s = good;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size())) {
      s.replace(at, what.size(), with);
    }
    return s;
  };
  const content_case cases[] = {
      {testing::new_form_page(no_data), "error b01:該当する期間のデータはありません。"},
      {without("<H1>", "<H2>"), "error b12:銘柄名が取得できませんでした。"},
      {without("yjSb", "yjS"), "error b21:市場名が取得できませんでした。"},
      {without(">終値<", ">終わり値<"), "error b41:前方データ削除ができませんでした。"},
      {without("</TBODY>", ""), "error b51:後方データ削除ができませんでした。"},
  };
  for (const content_case& c : cases) {
    const extraction e = extract(form::history, c.page);
    EXPECT_EQ(e.flag, 0) << c.message;
    EXPECT_EQ(e.budget, 0) << c.message;
    EXPECT_EQ(e.message, c.message);
    EXPECT_EQ(e.prices[0][kPriceCount], "0") << c.message;
  }
  // b11: the name marker is gone but the code is found (the check starts at the page's head).
  const extraction b11 = extract(form::history, without("title=株価詳細", "title=x"));
  EXPECT_EQ(b11.message, "error b11:銘柄名が取得できませんでした。");
  // b52: no row end before the table's end.
  const std::string b52 = without("</TR>", "");
  EXPECT_EQ(extract(form::history, b52).message, "error b52:後方データ削除ができませんでした。");
}

TEST(MobilePage, SlashDatesAndTheMarketInParentheses) {
  const extraction e = extract(form::mobile, testing::mobile_form_page(mobile(two_rows())));
  EXPECT_EQ(e.message, "");
  EXPECT_EQ(e.budget, 0);
  EXPECT_EQ(e.prices[0][kPriceMarket], "東証1部");
  EXPECT_EQ(e.prices[0][kPriceName], "(株)極洋");
  EXPECT_EQ(e.prices[2], (jikeiretu_row{"20130104", "1780", "1790", "1770", "1785", "98000", "1785"}));
}

TEST(MobilePage, SplitRowsKeepTheirKanjiDates) {
  history_page p = mobile(two_rows());
  p.split_rows = {"2013年9月26日", "分割: 1株 -&gt; 100株"};
  const extraction e = extract(form::mobile, testing::mobile_form_page(p));
  EXPECT_EQ(e.splits[1], (bunkatu_row{"20130926", "1", "100"}));
}

TEST(MobilePage, IndexNameFollowsTheValueMarker) {
  history_page p = mobile(two_rows());
  p.code = "998407.O";
  p.lead = "<INPUT type=hidden name=code value=998407>日経平均株価<BR>";
  p.name = "x";
  const extraction e = extract(form::mobile, testing::mobile_form_page(p), "1001");
  EXPECT_EQ(e.message, "");
  EXPECT_EQ(e.prices[0][kPriceName], "日経平均株価");
  EXPECT_EQ(e.prices[0][kPriceMarket], "");
}

TEST(MobilePage, FailuresAndTheBudget) {
  history_page p = mobile(two_rows());
  p.code = "1332.T";
  EXPECT_EQ(extract(form::mobile, testing::mobile_form_page(p)).budget, 4);
  p = mobile(two_rows());
  p.extra = "ページは存在しません";
  EXPECT_EQ(extract(form::mobile, testing::mobile_form_page(p)).budget, 2);
  p = mobile(two_rows());
  p.extra = "検索期間の価格データはありません";
  EXPECT_EQ(extract(form::mobile, testing::mobile_form_page(p)).message,
            "error b01:該当する期間のデータはありません。");
  std::string no_title = testing::mobile_form_page(mobile(two_rows()));
  no_title.replace(no_title.find("class=title>"), 12, "class=head>");
  const extraction b12 = extract(form::mobile, no_title);
  EXPECT_EQ(b12.message, "error b12:コードが取得できませんでした");
  EXPECT_EQ(b12.prices[0][kPriceCount], "0");
  std::string no_paren = testing::mobile_form_page(mobile(two_rows()));
  no_paren.replace(no_paren.find("（"), 3, "(");
  EXPECT_EQ(extract(form::mobile, no_paren).message, "error b21:市場名が取得できませんでした。");
}

}  // namespace
}  // namespace karigane
