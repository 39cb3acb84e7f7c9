// Latest-day parsing: search pages of both list views, queries, trade dates, the index page.
#include <gtest/gtest.h>

#include "sources/quote_site/index_data.h"
#include "sources/quote_site/search_page_parser.h"
#include "sources/quote_site/search_query.h"
#include "search_pages.h"
#include "support/recording_context.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::search_row;

data_d_table_t table_of(const std::vector<std::string>& codes) {
  data_d_table_t t(codes.size() + 1);
  t[0][kDMarket] = std::to_string(codes.size());
  for (std::size_t k = 0; k < codes.size(); ++k) t[k + 1][kDCode] = codes[k];
  return t;
}

// Today for the parsers: 2014/11/27 at 10:00.
void on_20141127(recording_context& ctx) { ctx.fix_now(local_time{date{2014, 11, 27}, 10, 0, 0}); }

TEST(TradeDates, TimesAreTodayAndDatesFindTheirYear) {
  EXPECT_EQ(trade_date_of_cell("9:05", date{2014, 11, 27}), "20141127_0905");
  EXPECT_EQ(trade_date_of_cell("15:00", date{2014, 11, 27}), "20141127_1500");
  EXPECT_EQ(trade_date_of_cell("12/30", date{2015, 1, 5}), "20141230");
  EXPECT_EQ(trade_date_of_cell("11/5", date{2014, 11, 27}), "20141105");
  EXPECT_EQ(trade_date_of_cell("11/27", date{2014, 11, 27}), "20141127");
}

TEST(SearchQuery, UnfilledRowsThenTheIndexCodes) {
  recording_context ctx;
  data_d_table_t t = table_of({"1301", "1332", "1001", "7203"});
  std::string q;
  make_search_query_sub(ctx, t, 1, 3, q);
  EXPECT_EQ(q, "1301+1332+998407+998407+998405");
  t[4][kDMarket] = "東証1部";
  t[4][kDName] = "トヨタ自動車(株)";
  make_search_query_sub(ctx, t, 4, 4, q);
  EXPECT_EQ(q, "998407+998405");
}

TEST(ListView1, MarketNameTimePriceAndVolume) {
  recording_context ctx;
  on_20141127(ctx);
  data_d_table_t t = table_of({"1301", "1332", "9999"});
  search_row a{"1301"};
  a.time = "9:05";
  search_row b{"1332"};
  b.name = "A&amp;B&amp;C𠮷𠮷";
  b.market = "JQS";
  b.time = "11/26";
  b.price = "12";
  b.volume = "0";
  read_yh_data_d1_sub(ctx, testing::list_view1_page({a, b}, "1301+1332+9999+998407+998405"), t,
                      1, 3);
  EXPECT_EQ(t[1][kDMarket], "東証1部");
  EXPECT_EQ(t[1][kDName], "(株)極洋");
  EXPECT_EQ(t[1][kDTradeDate], "20141127_0905");
  EXPECT_EQ(t[1][kDClose], "1795");
  EXPECT_EQ(t[1][kDVolume], "1234500");
  EXPECT_EQ(t[2][kDName], "A&B&amp;C－?");
  EXPECT_EQ(t[2][kDMarket], "JQS");
  EXPECT_EQ(t[2][kDTradeDate], "20141126");
  EXPECT_EQ(t[2][kDClose], "12");
  // A code the page does not list stays unfilled.
  EXPECT_EQ(t[3][kDName], "");
  EXPECT_EQ(t[3][kDClose], "");
}

TEST(ListView1, TheTablesLastRowIsNotRead) {
  recording_context ctx;
  on_20141127(ctx);
  data_d_table_t t = table_of({"1301"});
  std::string page = testing::list_view1_page({search_row{"1301"}}, "1301");
  page.replace(page.find("<TR><TD colspan=6>footer</TD></TR>\n"), 35, "");
  read_yh_data_d1_sub(ctx, page, t, 1, 1);
  EXPECT_EQ(t[1][kDName], "");
}

TEST(ListView1, NoMatchingStockPageContributesNothing) {
  recording_context ctx;
  on_20141127(ctx);
  data_d_table_t t = table_of({"1301"});
  std::string page = testing::list_view1_page({search_row{"1301"}}, "1301");
  page.insert(page.find("<TABLE"), "該当する銘柄は見つかりません");
  read_yh_data_d1_sub(ctx, page, t, 1, 1);
  EXPECT_EQ(t[1][kDName], "");
}

TEST(ListView2, OpenHighLowWithLimitMarkers) {
  recording_context ctx;
  data_d_table_t t = table_of({"1301", "1332", "998407"});
  t[3][kDCode] = "1001";
  search_row normal{"1301"};
  search_row high{"1332"};
  high.limit_high = true;
  high.high = "2,100";
  high.price = "2,100";
  search_row low{"998407"};
  low.limit_low = true;
  low.low = "17,000.50";
  low.name = "日経平均株価";
  read_yh_data_d2_sub(ctx, testing::list_view2_page({normal, high, low}, "1301+1332+998407"), t,
                      1, 3);
  EXPECT_EQ(t[1][kDOpen], "1780");
  EXPECT_EQ(t[1][kDHigh], "1800");
  EXPECT_EQ(t[1][kDLow], "1770");
  EXPECT_EQ(t[1][kDClose], "1795");
  EXPECT_EQ(t[2][kDHigh], "2100");
  EXPECT_EQ(t[2][kDClose], "2100");
  EXPECT_EQ(t[3][kDLow], "17000.50");
  EXPECT_EQ(t[3][kDName], "日経平均株価");
  EXPECT_EQ(t[0][kDName], "銘柄");
  EXPECT_EQ(t[0][kDTradeDate], "取引日");
}

TEST(IndexPage, AreasGiveOneRowEachAndAFieldWithoutBarStaysEmpty) {
  recording_context ctx;
  const std::string page =
      "<BODY><IMG usemap=\"#m\"><MAP name=m>"
      "<AREA shape=rect coords=\"0,0,1,1\" onmouseover=\"show('2014/11/26|17,000.00|17,100.00|"
      "16,900.00|17,050.00|1,000,000|x')\">"
      "<AREA shape=rect coords=\"1,0,2,1\" onmouseover=\"show('2014/11/27|17,248.50|17,300.00|"
      "17,200.00|17,250.00|2,345,678')\">"
      "</MAP></BODY>";
  index_table_t t;
  read_shihyou_data_sub(ctx, page, t);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1][0], "20141126");
  EXPECT_EQ(t[1][5], "1000000");
  EXPECT_EQ(t[2][0], "20141127");
  EXPECT_EQ(t[2][1], "17248.50");
  EXPECT_EQ(t[2][4], "17250.00");
  EXPECT_EQ(t[2][5], "");
  EXPECT_EQ(t[0][0], "1001");
  EXPECT_EQ(t[0][2], "日経平均");
  EXPECT_EQ(t[0][3], "20141126");
  EXPECT_EQ(t[0][4], "20141127");
  EXPECT_EQ(t[0][5], "2");

  index_table_t untouched(1);
  untouched[0][0] = "kept";
  read_shihyou_data_sub(ctx, "<BODY>no map</BODY>", untouched);
  EXPECT_EQ(untouched[0][0], "kept");
}

}  // namespace
}  // namespace karigane
