// The addresses the program sends and the index code tables, as the quote site expects them.
#include "sources/quote_site/quote_addresses.h"

#include <gtest/gtest.h>

namespace karigane {
namespace {

TEST(QuoteAddresses, BuildsEveryPageAddressFromItsHostSetting) {
  quote_site_settings s;
  s.kabuka_site_url = "http://127.0.0.1:8080";
  s.mobile_site_url = "http://m.example";
  s.old_table_url = "http://t.example";
  s.profile_site_url = "http://p.example";
  s.index_site_url = "http://i.example";
  EXPECT_EQ(history_page_url(s, "code=1301&sy=2013"), "http://127.0.0.1:8080/history/?code=1301&sy=2013");
  EXPECT_EQ(margin_history_url(s, "code=1301"), "http://127.0.0.1:8080/history/margin/?code=1301");
  EXPECT_EQ(search_page_url(s, "query=1301"), "http://127.0.0.1:8080/search/?query=1301");
  EXPECT_EQ(mobile_history_url(s, "code=1301.T"), "http://m.example/stock/historicaldata?code=1301.T");
  EXPECT_EQ(mobile_margin_url(s, "code=1301."), "http://m.example/stock/historicaldata/margin?code=1301.");
  EXPECT_EQ(old_table_url(s, "c=2013"), "http://t.example/bt?c=2013");
  EXPECT_EQ(profile_page_url(s, "consolidate", "1301"), "http://p.example/consolidate/1301");
  EXPECT_EQ(index_chart_url(s), "http://i.example/fisco/cgi-bin/index.cgi");
}

TEST(QuoteAddresses, TranslatesIndexCodesBothWays) {
  const char* program[] = {"1001", "1002", "1003", "1004"};
  const char* site[] = {"998407", "998405", "5040469", "5040468"};
  const char* margin[] = {"998407.o", "998405.t", "5040469", "5040468"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(history_site_code(program[i]), site[i]);
    EXPECT_EQ(margin_site_code(program[i]), margin[i]);
    EXPECT_EQ(program_code_from_site(site[i]), program[i]);
  }
  EXPECT_EQ(history_site_code("1301"), "1301");
  EXPECT_EQ(program_code_from_site("1301"), "1301");
  EXPECT_EQ(program_code_from_site("998407.O"), "998407.O");  // only the bare site code maps
}

}  // namespace
}  // namespace karigane
