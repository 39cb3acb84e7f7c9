// The rules that turn J-Quants' answers into the files' texts and choose how to ask: the shares of
// a split from its factor, the program's code of an issue, the figures' units, and whether a
// pass asks stock by stock or day by day.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/trading_days.h"
#include "sources/jquants/jquants_client.h"
#include "sources/jquants/jquants_issues.h"
#include "sources/jquants/jquants_json.h"
#include "sources/jquants/query_walk.h"
#include "sources/jquants/split_shares.h"

namespace karigane {
namespace {

TEST(JQuantsRules, AFactorBecomesTheSmallestWholeSharesBeforeAndAfter) {
  struct split_case {
    double factor;
    std::int64_t before;
    std::int64_t after;
  };
  for (const split_case& c : std::vector<split_case>{
           {0.5, 1, 2},         // 1:2
           {0.333333, 1, 3},    // 1:3, six decimals
           {5.0, 5, 1},         // 5:1 consolidation
           {10.0, 10, 1},       // 1 -> 0.1
           {0.833333, 5, 6},    // 1 -> 1.2
           {0.769231, 10, 13},  // 1 -> 1.3
           {0.909091, 10, 11},  // 1 -> 1.1
           {0.01, 1, 100},      // 1:100
           {0.66, 33, 50},      // fewer decimals: what they say
       }) {
    const auto shares = split_shares(c.factor);
    ASSERT_TRUE(shares.has_value()) << c.factor;
    EXPECT_EQ(shares->first, c.before) << c.factor;
    EXPECT_EQ(shares->second, c.after) << c.factor;
  }
  for (const double refused : {0.0, -0.5, std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(), 1e-7, 123456.0}) {
    EXPECT_FALSE(split_shares(refused).has_value()) << refused;
  }
}

TEST(JQuantsRules, OnlyCommonStockCodesThatPassTheCodeCheckBecomeProgramCodes) {
  const std::pair<const char*, const char*> cases[] = {
      {"72030", "7203"}, {"130A0", "130A"}, {"9A7A0", "9A7A"}, {"72035", ""},  // preferred shares
      {"7203", ""},      {"720300", ""},    {"../.0", ""},     {"13OA0", ""},
      {"", ""},          {"1a3A0", ""},
  };
  for (const auto& [api, program] : cases) {
    EXPECT_EQ(program_code_of(api).value_or(""), program) << api;
  }
}

TEST(JQuantsRules, TheServicesFiguresAndDatesBecomeTheFilesTexts) {
  struct shift_case {
    const char* text;
    int places;
    int min_decimals;
    const char* shifted;
  };
  for (const shift_case& c : std::vector<shift_case>{
           {"45095325000000", -6, 0, "45095325"},  // yen -> millions
           {"1234567000", -6, 0, "1234.567"},
           {"-5000000", -6, 0, "-5"},
           {"0", -6, 0, "0"},
           {"12345000", -3, 0, "12345"},  // shares -> thousands
           {"0.452", 2, 1, "45.2"},       // fraction -> percent
           {"0.450", 2, 1, "45.0"},
           {"0.4", 2, 1, "40.0"},
           {"-0.013", 2, 1, "-1.3"},
           {"1.5", -6, 0, "0.0000015"},
       }) {
    EXPECT_EQ(shift_decimal(c.text, c.places, c.min_decimals), c.shifted) << c.text;
  }
  // The dates a plan covers, as a 400 names them.
  const date open_end{2026, 1, 10};
  const std::pair<const char*, std::optional<date_span>> covered[] = {
      {"Your subscription covers the following dates: 2023-10-18 ~ 2025-10-18.",
       date_span{{2023, 10, 18}, {2025, 10, 18}}},
      {"Your subscription covers the following dates: 2016-09-21 ~ . If you want more data",
       date_span{{2016, 9, 21}, open_end}},
      {"Your subscription covers the following dates: 2023-02-30 ~ 2025-10-18.", std::nullopt},
      {"This API requires at least 1 parameter as follows; date, code", std::nullopt},
  };
  for (const auto& [message, span] : covered) {
    EXPECT_EQ(covered_dates_of(message, open_end), span) << message;
  }
  for (const char* text : {"12", "-12", "45.60", "0.452"}) EXPECT_TRUE(is_decimal_text(text));
  for (const char* text : {"", "-", "1.", ".5", "1e5", "12a", " 12", "1,234"}) {
    EXPECT_FALSE(is_decimal_text(text)) << text;
  }
}

TEST(JQuantsRules, APassAsksDayByDayOnlyWhenThatMakesFewerQueries) {
  // Ten business days: 2025-10-06 (Monday) to 2025-10-17, with 2025-10-13 a holiday.
  std::vector<date> days;
  for (date d{2025, 10, 6}; d < date{2025, 10, 18}; d = add_days(d, 1)) {
    if (rule_trading_day(d) && !(d == date{2025, 10, 13})) days.push_back(d);
  }
  ASSERT_EQ(days.size(), 9u);
  const date_span week1{{2025, 10, 6}, {2025, 10, 10}};
  const date_span week2{{2025, 10, 14}, {2025, 10, 17}};
  const date_span both{{2025, 10, 6}, {2025, 10, 17}};
  const date_span holiday{{2025, 10, 11}, {2025, 10, 13}};
  using periods = std::vector<std::optional<date_span>>;
  struct walk_case {
    const char* what;
    periods asked;
    std::vector<date> in_hand;
    query_walk walk;
    std::size_t queries;
  };
  const std::vector<walk_case> cases = {
      {"three stocks over nine days", periods(3, both), {}, query_walk::by_code, 3},
      {"twenty stocks over nine days", periods(20, both), {}, query_walk::by_date, 9},
      {"as many days as stocks", periods(9, both), {}, query_walk::by_code, 9},
      {"stocks that ask for nothing do not count",
       [&] {
         periods p(4, both);
         p.resize(40);
         return p;
       }(),
       {},
       query_walk::by_code,
       4},
      {"only the days some stock asks for",
       [&] {
         periods p(6, week1);
         p.insert(p.end(), 6, week2);
         return p;
       }(),
       {},
       query_walk::by_date,
       9},
      {"days between the periods are not asked for",
       [&] {
         periods p(3, std::optional<date_span>(date_span{{2025, 10, 6}, {2025, 10, 6}}));
         p.insert(p.end(), 3, date_span{{2025, 10, 17}, {2025, 10, 17}});
         return p;
       }(),
       {},
       query_walk::by_date,
       2},
      {"a weekend and a holiday ask for nothing", periods(5, holiday), {}, query_walk::by_date, 0},
      {"the day in hand is not asked again",
       periods(5, week1),
       {date{2025, 10, 10}},
       query_walk::by_date,
       4},
  };
  for (const walk_case& c : cases) {
    const walk_choice chosen = choose_walk(c.asked, days, c.in_hand);
    EXPECT_EQ(chosen.walk, c.walk) << c.what;
    EXPECT_EQ(chosen.queries, c.queries) << c.what;
  }
}

}  // namespace
}  // namespace karigane
