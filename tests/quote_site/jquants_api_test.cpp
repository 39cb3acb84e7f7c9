// The quote site's J-Quants API: its statuses and messages over HTTP, its pages and their keys,
// its request limit and the fault rules on its paths, and that the rows it serves are the data
// set's (splits, a consolidation, a halt, listings, a delisting, statements).
#include "jquants_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>
#include <thread>

#include "financial_statements.h"
#include "jquants_query.h"
#include "json_text.h"
#include "site_fixture.h"
#include "support/quote_site_process.h"

namespace karigane::testing {
namespace {

using namespace quote_site;

const std::vector<std::string> kKey{"x-api-key: secret"};
const std::string kToday = "2026-01-10T18:00";  // Free covers 2023-10-18 to 2025-10-18
const std::string kFreeWindow =
    "Your subscription covers the following dates: 2023-10-18 ~ 2025-10-18.";

// The rows of an answer's body, as written.
std::vector<std::string> rows_of(const std::string& body) {
  std::vector<std::string> rows;
  const auto open = body.find('[');
  const auto close = body.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close <= open + 1) return rows;
  const std::string list = body.substr(open + 1, close - open - 1);
  std::size_t start = 0;
  for (std::size_t cut; (cut = list.find("}, {", start)) != std::string::npos; start = cut + 3) {
    rows.push_back(list.substr(start, cut + 1 - start));
  }
  rows.push_back(list.substr(start));
  return rows;
}

std::string field(const std::string& row, const std::string& key) {
  const std::string head = "\"" + key + "\": ";
  const auto at = row.find(head);
  if (at == std::string::npos) return "(absent)";
  const auto from = at + head.size();
  const auto end = row.find_first_of(",}", from);
  return row.substr(from, end - from);
}

struct status_case {
  const char* what;
  const quote_site_process* site;
  std::string target;
  std::vector<std::string> headers;
  long status;
  std::string answer;  // a part of the body
};

TEST(JQuantsApi, AnswersWithTheServicesStatusesAndMessages) {
  const quote_site_process free_site(
      {"--now", kToday, "--jquants-key", "secret", "--jquants-rate-window", "0"});
  const quote_site_process light_site(
      {"--now", kToday, "--jquants-key", "secret", "--plan", "Light"});
  const quote_site_process no_api({"--now", kToday});
  ASSERT_TRUE(free_site.started() && light_site.started() && no_api.started());
  const std::string bars = "/v2/equities/bars/daily?code=72030";
  const std::string not_in_plan = "This API is not available on your subscription.";
  const status_case cases[] = {
      {"a day of the plan", &free_site, bars + "&date=2025-10-01", kKey, 200,
       "\"Date\": \"2025-10-01\""},
      {"a four-character code", &free_site, "/v2/equities/bars/daily?code=7203&date=20251001", kKey,
       200, "\"72030\""},
      {"no key", &free_site, bars, {}, 403, "{\"message\": \"The api key is required.\"}"},
      {"another key",
       &free_site,
       bars,
       {"x-api-key: public"},
       403,
       "The incoming api key is invalid or expired."},
      {"an unknown path", &free_site, "/v2/equities/quotes?code=72030", kKey, 403,
       "The requested endpoint does not exist. Please check the URL, HTTP method"},
      {"after the window", &free_site, bars + "&date=20251020", kKey, 400, kFreeWindow},
      {"before the window", &free_site, bars + "&from=2023-10-17&to=2023-11-30", kKey, 400,
       kFreeWindow},
      {"partly outside the window", &free_site, bars + "&from=2025-10-01&to=2025-10-31", kKey, 400,
       kFreeWindow},
      {"before a paid plan's window", &light_site, bars + "&date=2021-01-08", kKey, 400,
       "Your subscription covers the following dates: 2021-01-10 ~ . If you want more data, please "
       "check other plans:https://jpx-jquants.com/#dataset"},
      {"after a paid plan's today", &light_site, bars + "&date=2026-01-13", kKey, 200,
       "{\"data\": []}"},
      {"margin below Standard", &light_site, "/v2/markets/margin-interest?code=72030", kKey, 403,
       not_in_plan},
      {"TOPIX on Free", &free_site, "/v2/indices/bars/daily/topix", kKey, 403, not_in_plan},
      {"TOPIX on Light", &light_site, "/v2/indices/bars/daily/topix?from=2025-12-01&to=2025-12-01",
       kKey, 200, "\"Date\": \"2025-12-01\""},
      {"no code nor date", &free_site, "/v2/equities/bars/daily?from=2025-10-01", kKey, 400,
       "This API requires at least 1 parameter as follows; date, code"},
      {"not a date", &free_site, bars + "&date=2025-02-29", kKey, 400, "date=2025-02-29"},
      {"another query's pagination key", &free_site, bars + "&pagination_key=4ed1.d711.", kKey, 400,
       "pagination_key"},
      {"an index is no issue", &free_site, "/v2/equities/bars/daily?code=10010", kKey, 200,
       "{\"data\": []}"},
      {"a regional exchange's stock", &free_site, "/v2/equities/bars/daily?code=14130", kKey, 200,
       "{\"data\": []}"},
      {"a site without --jquants-key", &no_api, "/v2/equities/master", kKey, 404,
       "ページが見つかりません"},
  };
  for (const auto& c : cases) {
    std::string body;
    long status = 0;
    ASSERT_TRUE(c.site->get(c.target, body, &status, c.headers)) << c.what;
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_NE(body.find(c.answer), std::string::npos) << c.what << ": " << body.substr(0, 300);
  }
}

TEST(JQuantsApi, PagesTogetherEqualTheUnpagedAnswerAndKeysBelongToTheirQuery) {
  const market_data& data = factory_data(1, kToday);
  jquants_api whole(data, {"k", jquants_plan::premium, 0, 0});
  jquants_api paged(data, {"k", jquants_plan::premium, 700, 0});
  const std::string key = "k";
  const std::pair<std::string, param_map> queries[] = {
      {"/v2/equities/bars/daily",
       {{"code", "72030"}, {"from", "2020-01-01"}}},      // 6 years of a stock
      {"/v2/equities/master", {{"date", "2025-12-01"}}},  // every issue of a day
  };
  for (const auto& [path, params] : queries) {
    const api_answer all = whole.answer("GET", path, params, &key);
    ASSERT_EQ(all.status, 200);
    EXPECT_EQ(all.body.find("pagination_key"), std::string::npos) << path;
    std::vector<std::string> joined;
    std::set<std::string> keys;
    param_map next = params;
    for (int page = 0; page < 100; ++page) {
      const api_answer part = paged.answer("GET", path, next, &key);
      ASSERT_EQ(part.status, 200) << path << " " << part.body.substr(0, 200);
      const auto rows = rows_of(part.body);
      joined.insert(joined.end(), rows.begin(), rows.end());
      const std::string k = field(part.body, "pagination_key");
      if (k == "(absent)") break;
      EXPECT_LE(rows.size(), 700u);
      EXPECT_TRUE(keys.insert(k).second) << "a key repeated: " << k;
      next["pagination_key"] = k.substr(1, k.size() - 2);
    }
    EXPECT_GE(keys.size(), 2u) << path;
    EXPECT_EQ(joined, rows_of(all.body)) << path;
  }
  // A key is refused with another query.
  const api_answer first =
      paged.answer("GET", "/v2/equities/bars/daily", {{"code", "72030"}}, &key);
  const std::string k = field(first.body, "pagination_key");
  const param_map other{{"code", "13010"}, {"pagination_key", k.substr(1, k.size() - 2)}};
  EXPECT_EQ(paged.answer("GET", "/v2/equities/bars/daily", other, &key).status, 400);
}

TEST(JQuantsApi, RefusesRequestsBeyondThePlansLimitUntilTheWindowHasPassedAndObeysFaultRules) {
  const int window_seconds = 4;
  quote_site_process site({"--now", kToday, "--jquants-key", "secret", "--jquants-rate-window",
                           std::to_string(window_seconds)});
  ASSERT_TRUE(site.started());
  const std::string calendar = "/v2/markets/calendar?from=2025-10-01&to=2025-10-03";
  const std::string bars = "/v2/equities/bars/daily?code=72030&date=2025-10-01";
  auto status_of = [&](const std::string& target) {
    std::string body;
    long status = 0;
    return site.get(target, body, &status, kKey) ? status : -1;
  };
  // Faults meet a client with a 429 or a 5xx on demand, before any limit is counted.
  ASSERT_TRUE(site.set_fault("status-503", "7203", 1, "/v2/equities/bars/daily"));
  ASSERT_TRUE(site.set_fault("status-429", "", 1, "/v2/markets/calendar"));
  EXPECT_EQ(status_of(calendar), 429);
  EXPECT_EQ(status_of(bars), 503);

  // Free: five requests a window; a refused one is not counted; fins/summary has a limit of its
  // own.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(status_of(calendar), 200) << i;
  EXPECT_EQ(status_of(bars), 200);
  EXPECT_EQ(status_of(calendar), 429);
  EXPECT_EQ(status_of(bars), 429);
  EXPECT_EQ(status_of("/v2/fins/summary?code=72030"), 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(window_seconds * 1000 + 300));
  EXPECT_EQ(status_of(calendar), 200);

  // The request log counts the API's queries, without the key.
  const auto log = site.requests();
  EXPECT_EQ(std::count(log.begin(), log.end(), calendar), 7);
  EXPECT_EQ(std::count(log.begin(), log.end(), bars), 3);
}

TEST(JQuantsApi, ServesTheDataSetsRowsSplitsHaltsListingsAndDelistings) {
  const market_data& data = factory_data(1, kToday);
  jquants_api api(data, {"k", jquants_plan::premium, 0, 0});
  const std::string key = "k";
  auto rows = [&](const std::string& path, const param_map& params) {
    const api_answer a = api.answer("GET", path, params, &key);
    EXPECT_EQ(a.status, 200) << path << ": " << a.body.substr(0, 200);
    return rows_of(a.body);
  };
  auto bars = [&](const std::string& code, const std::string& from, const std::string& to) {
    return rows("/v2/equities/bars/daily", {{"code", code}, {"from", from}, {"to", to}});
  };
  auto raw_row = [&](const std::string& code, const date& d) {
    const date days[] = {d};
    return data.daily_rows(*data.find(code), days).front();
  };

  // Splits and a consolidation: the factor on the day, the older days adjusted by it.
  struct split_case {
    std::string code;
    date eve, day;
    std::string factor;
    double product;  // of the factors after the eve
  };
  const split_case splits[] = {{"130A", {2025, 3, 31}, {2025, 4, 1}, "0.5", 0.5},
                               {"2A46", {2025, 6, 30}, {2025, 7, 1}, "0.333333", 0.333333},
                               {"9A7A", {2025, 9, 30}, {2025, 10, 1}, "5.0", 5.0}};
  for (const auto& s : splits) {
    const auto got = bars(s.code + "0", dashed_date(s.eve), dashed_date(s.day));
    ASSERT_EQ(got.size(), 2u) << s.code;
    const price_row eve = raw_row(s.code, s.eve);
    const price_row day = raw_row(s.code, s.day);
    EXPECT_EQ(field(got[0], "Code"), "\"" + s.code + "0\"");
    EXPECT_EQ(field(got[0], "C"), json_hundredths(eve.close)) << s.code;
    EXPECT_EQ(field(got[0], "Vo"), json_whole(eve.volume)) << s.code;
    EXPECT_EQ(field(got[0], "AdjFactor"), "1.0") << s.code;
    EXPECT_EQ(field(got[0], "AdjC"), json_tenths(std::llround(eve.close * s.product / 10.0)))
        << s.code;
    EXPECT_EQ(field(got[0], "AdjVo"), json_whole(std::llround(eve.volume / s.product))) << s.code;
    EXPECT_EQ(field(got[1], "AdjFactor"), s.factor) << s.code;
    EXPECT_EQ(field(got[1], "O"), json_hundredths(day.open)) << s.code;
    EXPECT_EQ(field(got[1], "AdjO"), json_hundredths(day.open)) << s.code;
    EXPECT_EQ(bars(s.code, dashed_date(s.eve), dashed_date(s.day)), got) << "four characters";
  }
  // The 5:1 consolidation: the eve's prices times five.
  EXPECT_EQ(field(bars("9A7A0", "2025-09-30", "2025-09-30").front(), "AdjH"),
            json_hundredths(raw_row("9A7A", {2025, 9, 30}).high * 5));

  // The halt: a row of nulls where the pages have no row.
  const auto halt = bars("2A460", "2025-06-12", "2025-06-16");
  ASSERT_EQ(halt.size(), 3u);
  for (const char* k : {"O", "H", "L", "C", "Vo", "Va", "AdjO", "AdjC", "AdjVo"}) {
    EXPECT_EQ(field(halt[1], k), "null") << k;
    EXPECT_NE(field(halt[0], k), "null") << k;
  }
  EXPECT_EQ(field(halt[1], "Date"), "\"2025-06-13\"");
  EXPECT_EQ(data.trading_days(*data.find("2A46"), {2025, 6, 12}, {2025, 6, 16}).size(), 2u);

  // Listings: rows and master entries from the listing day only.
  EXPECT_EQ(field(bars("130A0", "2024-03-01", "2024-03-31").front(), "Date"), "\"2024-03-22\"");
  EXPECT_TRUE(rows("/v2/equities/master", {{"code", "130A0"}, {"date", "2024-03-21"}}).empty());
  const auto listed = rows("/v2/equities/master", {{"code", "130A"}, {"date", "2024-03-22"}});
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(field(listed[0], "MktNm"), "\"グロース\"");

  // The delisting: nothing after the last trading day, on any endpoint.
  EXPECT_EQ(field(bars("80130", "2025-07-25", "2025-08-29").back(), "Date"), "\"2025-07-29\"");
  EXPECT_EQ(rows("/v2/equities/master", {{"code", "80130"}, {"date", "2025-07-29"}}).size(), 1u);
  EXPECT_TRUE(rows("/v2/equities/master", {{"code", "80130"}, {"date", "2025-07-30"}}).empty());
  const auto weeks =
      rows("/v2/markets/margin-interest", {{"code", "80130"}, {"from", "2025-07-01"}});
  ASSERT_FALSE(weeks.empty());
  EXPECT_LE(field(weeks.back(), "Date"), "\"2025-07-29\"");
  const auto statements = rows("/v2/fins/summary", {{"code", "80130"}});
  ASSERT_FALSE(statements.empty());
  EXPECT_LE(field(statements.back(), "DiscDate"), "\"2025-07-29\"");
  // A market the old sections' names map to; a regional exchange's stock is not an issue.
  const auto master = rows("/v2/equities/master", {{"date", "2025-12-01"}});
  const std::string master_text = [&] {
    std::string t;
    for (const auto& r : master) t += r;
    return t;
  }();
  EXPECT_NE(master_text.find("\"Code\": \"13010\""), std::string::npos);
  EXPECT_EQ(master_text.find("\"Code\": \"14130\""), std::string::npos);
  EXPECT_EQ(master_text.find("\"Code\": \"80130\""), std::string::npos);

  // Statements: the consolidated figures in the main fields, the company's own in NC*, units
  // of the service.
  const stock_info* company = nullptr;
  for (const auto& s : data.stocks().all()) {
    if (s.code.front() == '7' && publishes_statements(data, s, statement_kind::consolidated)) {
      company = &s;
      break;
    }
  }
  ASSERT_NE(company, nullptr);
  const statement_figures group =
      shown_statements(data, *company, statement_kind::consolidated).front();
  const statement_figures own =
      shown_statements(data, *company, statement_kind::independent).front();
  const auto disclosed =
      rows("/v2/fins/summary", {{"code", company->code}, {"date", dashed_date(group.announced)}});
  ASSERT_EQ(disclosed.size(), 1u);
  const std::string& r = disclosed[0];
  EXPECT_EQ(field(r, "DocType"), "\"FYFinancialStatements_Consolidated_JP\"");
  EXPECT_EQ(field(r, "CurPerEn"), "\"" + dashed_date(group.period_end) + "\"");
  EXPECT_EQ(field(r, "Sales"), "\"" + std::to_string(group.sales * 1'000'000) + "\"");
  EXPECT_EQ(field(r, "NCSales"), "\"" + std::to_string(own.sales * 1'000'000) + "\"");
  EXPECT_EQ(field(r, "ShOutFY"), "\"" + std::to_string(group.shares * 1000) + "\"");
  const std::string ratio = std::to_string(group.equity_ratio / 1000) + "." +
                            std::string(3 - std::to_string(group.equity_ratio % 1000).size(), '0') +
                            std::to_string(group.equity_ratio % 1000);
  EXPECT_EQ(field(r, "EqAR"), "\"" + ratio + "\"");
  EXPECT_EQ(field(r, "EPS"), "\"" + std::to_string(group.eps / 100) + "." +
                                 (group.eps % 100 < 10 ? "0" : "") +
                                 std::to_string(group.eps % 100) + "\"");
  EXPECT_EQ(field(r, "CFO"), "\"\"");
}

}  // namespace
}  // namespace karigane::testing
