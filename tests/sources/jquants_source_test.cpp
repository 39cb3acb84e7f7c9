// J-Quants as a source, end to end against the local quote site's API: each kind's files equal
// those the same data set gives through the quote site's pages (splits by their ratio, the
// statement columns J-Quants has no figure for as "---"), the adjusted prices agree with the
// API's, the latest day and a week's catch-up take five queries, and the faults of the service
// end, skip, wait or count as they should.
#include <gtest/gtest.h>
#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <thread>

#include "core/cp932.h"
#include "kinds/program_layout.h"
#include "run/settings.h"
#include "sources/jquants/jquants_source.h"
#include "sources/quote_site/quote_site_source.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"
#include "timeseries/price_collection.h"

namespace karigane {
namespace {

using testing::file_bytes;
using testing::files_below;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

const std::string kKey = "secret-key-7Q2X";

std::vector<std::string> site_options(const std::string& now, const std::string& plan,
                                      std::vector<std::string> more = {}) {
  std::vector<std::string> o{"--now", now, "--jquants-key", kKey, "--plan", plan,
                             "--jquants-rate-window", "0"};
  o.insert(o.end(), more.begin(), more.end());
  return o;
}

// A program folder with the factory stock list, reading from the site's pages, or from its API
// with the plan given (and the key given, `kKey` by default).
void set_up(const std::string& folder, const quote_site_process& site, const std::string& plan,
            const std::string& key = kKey) {
  const std::string api = plan.empty() ? std::string()
                                       : "データ取得元,J-Quants\r\nJ-QuantsURL," + site.url() +
                                             "\r\nJ-QuantsAPIキー," + key +
                                             "\r\nJ-Quantsプラン," + plan + "\r\n";
  testing::write_site_settings(folder, site, api);
  testing::write_factory_stock_list(folder);
}

std::vector<std::string> clock(const std::string& now, const std::string& minute = "0") {
  return {"KARIGANE_NOW=" + now, "KARIGANE_JQUANTS_MINUTE=" + minute};
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ',')) out.push_back(field);
  if (!line.empty() && line.back() == ',') out.emplace_back();
  return out;
}

std::size_t count_with(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
    return l.find(part) != std::string::npos;
  }));
}

// The split files of a tree: each split's date and ratio (after / before).
std::map<std::string, double> split_ratios(const std::map<std::string, std::string>& files) {
  std::map<std::string, double> out;
  for (const auto& [path, bytes] : files) {
    if (path.find("data_mh/") == std::string::npos) continue;
    const auto lines = lines_of(bytes);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto f = fields_of(lines[i]);
      out[path + " " + f.at(0)] = std::stod(f.at(2)) / std::stod(f.at(1));
    }
  }
  return out;
}

// Whether the factory stock list places a stock on a regional exchange only (Nagoya, Sapporo,
// Fukuoka): J-Quants does not serve it.
bool regional(const std::string& path) {
  static const std::map<std::string, std::string> letters = [] {
    std::map<std::string, std::string> out;
    const auto lines = lines_of(cp932_to_utf8(
        file_bytes(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv")));
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto f = fields_of(lines[i]);
      if (f.size() > 1) out[f[0]] = f[1];
    }
    return out;
  }();
  const std::string name = path.substr(path.rfind('/') + 1);
  const auto it = letters.find(name.substr(0, name.find('.')));
  return it != letters.end() && (it->second == "n" || it->second == "s" || it->second == "f");
}

// The rows of an API answer (every page), each as its parsed object; `parsers` keep them.
std::vector<simdjson::dom::object> api_rows(const quote_site_process& site, const std::string& query,
                                            std::vector<simdjson::dom::parser>& parsers) {
  std::vector<simdjson::dom::object> rows;
  std::string next;
  parsers.reserve(1000);
  do {
    std::string body;
    long status = 0;
    const std::string page = next.empty() ? query : query + "&pagination_key=" + next;
    if (!site.get(page, body, &status, {"x-api-key: " + kKey}) || status != 200) return rows;
    simdjson::dom::element root;
    if (parsers.emplace_back().parse(body).get(root) != simdjson::SUCCESS) return rows;
    for (simdjson::dom::element row : root["data"].get_array()) rows.push_back(row.get_object());
    std::string_view key;
    next = root["pagination_key"].get(key) == simdjson::SUCCESS ? std::string(key) : "";
  } while (!next.empty() && parsers.size() < parsers.capacity());
  return rows;
}

TEST(JQuantsSource, PricesAndSplitsEqualThePagesAndAdjustAgreesWithTheApi) {
  // Pages of 100 rows: every stock's query goes on with pagination keys.
  const quote_site_process site(
      site_options("2026-01-10T18:00", "Premium", {"--jquants-page-rows", "100"}));
  ASSERT_TRUE(site.started());
  temp_folder pages, api;
  set_up(pages.path(), site, "");
  set_up(api.path(), site, "Premium");
  // Consolidations 1:0.1 and 1:0.5 (1301, 1904), splits 1:2 (1726, 2163), real prices with a
  // day without a trade (7203 on 2026-01-09), and a stock delisted after 2025-07-29 (8013).
  for (const temp_folder* dir : {&pages, &api}) {
    testing::write_bytes(dir->path() + "download_code.csv",
                         "6,1301,1726,1904,2163,7203,8013\r\n");
    for (const auto& [from, to] : {std::pair{"2016/06/01", "2017/01/31"},
                                   std::pair{"2025/06/01", "2026/01/09"}}) {
      const auto r = run_karigane({"--dir", dir->path(), "collect", "--table", "--from", from,
                                   "--to", to, "--yearly"},
                                  clock("2026-01-10T18:00"));
      ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
    }
  }
  const auto expected = files_below(pages.path() + "kabuka/");
  const auto got = files_below(api.path() + "kabuka/");
  std::size_t compared = 0;
  for (const auto& [path, bytes] : expected) {
    if (path.find("data_mh/") != std::string::npos) continue;
    ASSERT_TRUE(got.contains(path)) << path;
    EXPECT_EQ(got.at(path), bytes) << path;
    ++compared;
  }
  EXPECT_GE(compared, 6u * 3);  // the main files and their yearly files
  const auto expected_splits = split_ratios(expected);
  const auto got_splits = split_ratios(got);
  ASSERT_EQ(expected_splits.size(), 8u);  // four splits, in the main and the yearly files
  ASSERT_EQ(got_splits.size(), expected_splits.size());
  for (const auto& [split, ratio] : expected_splits) {
    ASSERT_TRUE(got_splits.contains(split)) << split;
    EXPECT_NEAR(got_splits.at(split), ratio, 1e-6) << split;
  }
  EXPECT_NE(file_bytes(api.path() + "kabuka/data_mh/2163.csv").find("20170127,1,2\r\n"),
            std::string::npos);
  EXPECT_NE(file_bytes(api.path() + "kabuka/data_mh/1904.csv").find("20160928,2,1\r\n"),
            std::string::npos);
  EXPECT_NE(file_bytes(api.path() + "kabuka/data_mh/1301.csv").find("20160928,10,1\r\n"),
            std::string::npos);
  EXPECT_EQ(lines_of(got.at("data_m/8013.csv")).back().substr(0, 8), "20250729");
  EXPECT_EQ(lines_of(got.at("data_m/7203.csv")).back().substr(0, 8), "20260108");
  const std::vector<std::string> requests = site.requests();
  EXPECT_GT(count_with(requests, "pagination_key="), 5u);

  // The adjusted closes agree with the API's within the adjustment's flooring.
  const auto adjusted = run_karigane({"--dir", api.path(), "adjust"}, clock("2026-01-10T18:00"));
  ASSERT_EQ(adjusted.exit_status, 0) << adjusted.err;
  std::vector<simdjson::dom::parser> parsers;
  std::size_t days = 0;
  for (const std::string code : {"1301", "1726", "1904", "2163"}) {
    std::map<std::string, double> closes;
    const auto lines = lines_of(file_bytes(api.path() + "kabuka/syusei_kabuka/data_m/" + code + ".csv"));
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto f = fields_of(lines[i]);
      closes[f.at(0)] = std::stod(f.at(4));
    }
    for (const auto& row :
         api_rows(site, "/v2/equities/bars/daily?code=" + code + "0&from=2016-06-01&to=2017-01-31",
                  parsers)) {
      double close = 0;
      if (row["AdjC"].get(close) != simdjson::SUCCESS) continue;
      const std::string day(row["Date"].get_string().value());
      const std::string key = day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2);
      ASSERT_TRUE(closes.contains(key)) << code << " " << key;
      EXPECT_LE(std::fabs(closes[key] - close), std::max(1.0, close * 0.001)) << code << " " << key;
      ++days;
    }
  }
  EXPECT_GT(days, 4u * 160);
}

TEST(JQuantsSource, AlphanumericCodesThroughTheSourceSeamEqualThePages) {
  // Both sources through the seam itself, on a list that holds codes with letters.
  ::setenv("KARIGANE_JQUANTS_MINUTE", "0", 1);
  const quote_site_process site(site_options("2026-01-10T18:00", "Light"));
  ASSERT_TRUE(site.started());
  std::map<std::string, std::string> files[2];
  for (int s = 0; s < 2; ++s) {
    temp_folder dir;
    set_up(dir.path(), site, s == 0 ? "" : "Light");
    // The stocks as a list from J-Quants holds them (`init --jquants` places one).
    auto entries = lines_of(cp932_to_utf8(file_bytes(dir.path() + "meigara_list.csv")));
    const std::string header = entries.front().substr(entries.front().find(','));
    entries.erase(entries.begin());
    entries.push_back("130A,t,東証グロース,(株)アオバサイエンス");
    entries.push_back("2A46,t,東証プライム,(株)ミナトリンクス");
    entries.push_back("9A7A,t,東証スタンダード,(株)ひかりデータ工房");
    std::sort(entries.begin(), entries.end());
    std::string list = std::to_string(entries.size()) + header + "\r\n";
    for (const std::string& e : entries) list += e + "\r\n";
    testing::write_cp932(dir.path() + "meigara_list.csv", list);
    testing::recording_context ctx(dir.path());
    ctx.fix_now({{2026, 1, 10}, 18, 0, 0});
    const program_settings settings = read_settings(dir.path(), ctx.factory_folder);
    const auto sources = s == 0 ? make_quote_site_sources(settings.quote_site)
                                : make_jquants_sources(settings.jquants, settings.layout);
    // 130A splits 1:2 on 2025-04-01, 2A46 halts on 2025-06-13 and splits 1:3 on 2025-07-01,
    // 9A7A consolidates 5:1 on 2025-10-01.
    const status collected =
        collect_prices(ctx, settings.layout, sources->prices(),
                       {{"130A", "2A46", "9A7A"}, {{2025, 1, 1}, {2025, 12, 31}}, false, false});
    ASSERT_TRUE(collected.is_ok()) << collected.message();
    EXPECT_TRUE(ctx.failures.empty());
    files[s] = files_below(dir.path() + "kabuka/");
  }
  for (const char* code : {"130A", "2A46", "9A7A"}) {
    const std::string path = "data_m/" + std::string(code) + ".csv";
    ASSERT_TRUE(files[1].contains(path)) << path;
    EXPECT_EQ(files[1][path], files[0][path]) << path;
  }
  EXPECT_EQ(files[1]["data_m/2A46.csv"].find("\r\n20250613,"), std::string::npos);
  EXPECT_NE(files[1]["data_m/2A46.csv"].find("\r\n20250612,"), std::string::npos);
  const auto expected = split_ratios(files[0]);
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_EQ(split_ratios(files[1]).size(), 3u);
  for (const auto& [split, ratio] : split_ratios(files[1])) {
    EXPECT_NEAR(ratio, expected.at(split), 1e-6) << split;
  }
  EXPECT_NE(files[1]["data_mh/9A7A.csv"].find("20251001,5,1\r\n"), std::string::npos);
}

TEST(JQuantsSource, MarginWeekByWeekEqualsThePagesAndLowerPlansAreRefusedBeforeAsking) {
  const quote_site_process site(site_options("2026-01-10T18:00", "Standard"));
  const quote_site_process light(site_options("2026-01-10T18:00", "Light"));
  ASSERT_TRUE(site.started() && light.started());
  temp_folder pages, api, refused;
  set_up(pages.path(), site, "");
  set_up(api.path(), site, "Standard");
  set_up(refused.path(), light, "Light");
  // Some hundred and fifty stocks over fourteen weeks (the last ends on 12/30): asked week by
  // week.
  const std::vector<std::string> margin{"collect", "--range", "1301", "1999", "--from",
                                        "2025/10/01", "--to", "2025/12/31", "--margin",
                                        "--no-timeseries", "--yearly"};
  for (const temp_folder* dir : {&pages, &api}) {
    std::vector<std::string> args{"--dir", dir->path()};
    args.insert(args.end(), margin.begin(), margin.end());
    const auto r = run_karigane(args, clock("2026-01-10T18:00"));
    ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  }
  // Equal files, but for the stocks of the regional exchanges, which J-Quants does not have.
  const auto expected = files_below(pages.path() + "kabuka/");
  const auto got = files_below(api.path() + "kabuka/");
  EXPECT_GT(got.size(), 200u);
  for (const auto& [path, bytes] : expected) {
    if (regional(path)) {
      EXPECT_FALSE(got.contains(path)) << path;
    } else {
      EXPECT_EQ(got.contains(path) ? got.at(path) : "(none)", bytes) << path;
    }
  }
  for (const auto& entry : got) EXPECT_TRUE(expected.contains(entry.first)) << entry.first;
  const std::vector<std::string> requests = site.requests();
  EXPECT_EQ(count_with(requests, "/v2/markets/margin-interest?date="), 14u);
  EXPECT_EQ(count_with(requests, "/v2/markets/margin-interest?code="), 0u);

  std::vector<std::string> args{"--dir", refused.path()};
  args.insert(args.end(), margin.begin(), margin.end());
  const auto r = run_karigane(args, clock("2026-01-10T18:00"));
  EXPECT_EQ(r.exit_status, 3) << r.err;
  EXPECT_NE(r.err.find("失敗 1件"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("J-Quants の Light プランでは信用売買残を取得できません"), std::string::npos);
  EXPECT_EQ(count_with(light.requests(), "/v2/"), 0u);
}

TEST(JQuantsSource, StatementsCarryThePagesFiguresAndDashesWhereJQuantsHasNone) {
  const quote_site_process site(site_options("2026-01-10T18:00", "Light"));
  ASSERT_TRUE(site.started());
  temp_folder pages, api;
  set_up(pages.path(), site, "");
  set_up(api.path(), site, "Light");
  for (const temp_folder* dir : {&pages, &api}) {
    const auto r = run_karigane({"--dir", dir->path(), "collect", "--range", "1301", "1450",
                                 "--financial", "--no-timeseries"},
                                clock("2026-01-10T18:00"));
    ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  }
  // The columns (0-based, of the files' 22) J-Quants has no figure for: capital, debt, retained
  // earnings, unrealized gains, the returns; and for a consolidated company's own figures its
  // diluted EPS and dividend.
  const std::map<std::string, std::vector<std::size_t>> dashed = {
      {"data_ztan", {8, 9, 14, 15, 16, 18, 19, 20, 21}},
      {"data_zren", {14, 15, 18, 19, 20, 21}},
      {"data_ztyu", {14, 15, 18}},
  };
  const auto expected = files_below(pages.path() + "kabuka/");
  const auto got = files_below(api.path() + "kabuka/");
  std::size_t periods = 0;
  for (const auto& [path, bytes] : expected) {
    const std::string folder = path.substr(0, path.find('/'));
    if (!dashed.contains(folder) || regional(path)) continue;
    ASSERT_TRUE(got.contains(path)) << path;
    std::map<std::string, std::vector<std::string>> by_period;
    const auto got_lines = lines_of(got.at(path));
    for (std::size_t i = 1; i < got_lines.size(); ++i) {
      auto f = fields_of(got_lines[i]);
      by_period[f.at(0)] = f;
    }
    const auto lines = lines_of(bytes);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto want = fields_of(lines[i]);
      ASSERT_TRUE(by_period.contains(want.at(0))) << path << " " << want.at(0);
      const auto& have = by_period[want.at(0)];
      ASSERT_EQ(have.size(), want.size()) << path;
      for (std::size_t c = 0; c < want.size(); ++c) {
        const auto& none = dashed.at(folder);
        if (std::find(none.begin(), none.end(), c) != none.end() && have[c] == "---") continue;
        EXPECT_EQ(have[c], want[c]) << path << " " << want[0] << " column " << c;
      }
      ++periods;
    }
  }
  EXPECT_GT(periods, 60u);
}

TEST(JQuantsSource, TheLatestDayAndAWeeksCatchUpTakeFiveQueriesAtThePlansPace) {
  // A Friday: the Free plan's newest day is twelve weeks back, Friday 2025-10-24. The site
  // counts five requests a three-second window, and the client keeps that pace.
  const std::string now = "2026-01-16T18:00";
  quote_site_process site({"--now", now, "--jquants-key", kKey, "--jquants-rate-window", "3"});
  ASSERT_TRUE(site.started());
  temp_folder behind, whole;
  set_up(behind.path(), site, "Free");
  set_up(whole.path(), site, "Free");
  // 1301 is missing from the stock list: the latest day names it from the day's issues.
  std::string list = file_bytes(behind.path() + "meigara_list.csv");
  const std::size_t at = list.find("\r\n1301,");
  list.erase(at + 2, list.find("\r\n", at + 2) - at);
  testing::write_bytes(behind.path() + "meigara_list.csv", list);
  auto r = run_karigane({"--dir", behind.path(), "collect", "--range", "1301", "1500", "--latest",
                         "--from", "2025/10/01", "--to", "2025/10/17"},
                        clock(now, "3"));
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_NE(r.err.find("Free プランで取得できる日付は 2023/10/24～2025/10/24 です"),
            std::string::npos)
      << r.err;
  EXPECT_NE(cp932_to_utf8(file_bytes(behind.path() + "meigara_list.csv"))
                .find("\r\n1301,t,東証プライム,"),
            std::string::npos);
  EXPECT_EQ(count_with(site.requests(), "/v2/equities/master?date=2025-10-24"), 1u);
  // The same stock list, so that the files' headers are the same.
  testing::write_bytes(whole.path() + "meigara_list.csv",
                       file_bytes(behind.path() + "meigara_list.csv"));
  r = run_karigane({"--dir", whole.path(), "collect", "--range", "1301", "1500", "--from",
                    "2025/10/01", "--to", "2025/10/24"},
                   clock(now, "3"));
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  ASSERT_TRUE(site.reset());
  // The window of the last run's requests passes: this run's pace is its own.
  std::this_thread::sleep_for(std::chrono::milliseconds(3100));

  r = run_karigane({"--dir", behind.path(), "update", "--catch-up", "--latest"}, clock(now, "3"));
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.out.find("要求数の上限"), std::string::npos) << r.out;
  const std::vector<std::string> requests = site.requests();
  EXPECT_EQ(count_with(requests, "/v2/equities/bars/daily?"), 5u);
  EXPECT_EQ(count_with(requests, "/v2/equities/bars/daily?date=2025-10-24"), 1u);
  EXPECT_LE(requests.size(), 7u);  // and the calendar, and the stock list's names once at most
  EXPECT_EQ(site.connections(), 1);
  const auto expected = files_below(whole.path() + "kabuka/data_m/");
  EXPECT_EQ(expected.size(), files_below(behind.path() + "kabuka/data_m/").size());
  EXPECT_EQ(files_below(behind.path() + "kabuka/data_m/"), expected);
  const auto latest = lines_of(file_bytes(behind.path() + "kabuka/data_d/20251024.csv"));
  ASSERT_GT(latest.size(), 20u);
  EXPECT_EQ(latest[0].substr(0, 9), "20251024,");
  for (std::size_t i = 1; i < latest.size(); ++i) {
    const auto f = fields_of(cp932_to_utf8(latest[i]));
    const auto rows = lines_of(expected.at(f.at(0) + ".csv"));
    if (f.at(6) == "---") {
      EXPECT_NE(rows.back().substr(0, 8), "20251024") << latest[i];
    } else {
      EXPECT_EQ(rows.back(), "20251024," + f[3] + "," + f[4] + "," + f[5] + "," + f[6] + "," + f[7]);
    }
  }
}

TEST(JQuantsSource, TheServicesFaultsWaitRetryCountOrEndTheRun) {
  const std::string now = "2026-01-10T18:00";
  quote_site_process site(site_options(now, "Light"));
  ASSERT_TRUE(site.started());
  struct fault_case {
    const char* what;
    std::string plan;
    std::string key;
    const char* fault;  // on the daily bars: mode, count
    long count;
    std::vector<std::string> more;  // collect's options
    int exit_status;
    std::vector<const char*> says;  // on standard output or error
  };
  const std::vector<std::string> bars = {"--code", "1301"};
  const std::vector<fault_case> cases = {
      {"a 429 waits and goes on", "Light", kKey, "status-429", 2, bars, 0,
       {"J-Quants の要求数の上限を超えました。1分待ってから続けます。"}},
      {"a 503 is asked again", "Light", kKey, "status-503", 3, bars, 0, {}},
      {"a 500 that stays counts the stock", "Light", kKey, "status-500", 4, bars, 3,
       {"1301 時系列株価 2025/12/01～2025/12/31: J-Quants から答えがありません（HTTP 500）。"}},
      {"a key the service refuses ends the run", "Light", "wrong-key-9876", nullptr, 0, bars, 1,
       {"J-Quants が API キー（…9876）を受け付けません", "J-QuantsAPIキー", "JQUANTS_API_KEY"}},
      {"no key ends the run before asking", "Light", "", nullptr, 0, bars, 1,
       {"J-Quants の API キーがありません。", "J-QuantsAPIキー", "JQUANTS_API_KEY"}},
      {"a plan the service refuses skips the kind", "Standard", kKey, nullptr, 0,
       {"--range", "1301", "1340", "--margin", "--no-timeseries"}, 3,
       {"信用売買残: J-Quants の Standard プランでは取得できません（This API is not available"}},
  };
  for (const fault_case& c : cases) {
    ASSERT_TRUE(site.reset());
    temp_folder dir;
    set_up(dir.path(), site, c.plan, c.key);
    if (c.fault) {
      ASSERT_TRUE(site.set_fault(c.fault, "", c.count, "/v2/equities/bars/daily"));
    }
    std::vector<std::string> args{"--dir", dir.path(), "collect", "--from", "2025/12/01", "--to",
                                  "2025/12/31"};
    args.insert(args.end(), c.more.begin(), c.more.end());
    auto env = clock(now, "1");
    env.push_back("JQUANTS_API_KEY=");
    const auto r = run_karigane(args, env);
    EXPECT_EQ(r.exit_status, c.exit_status) << c.what << "\n" << r.out << r.err;
    for (const char* part : c.says) {
      EXPECT_NE((r.out + r.err).find(part), std::string::npos) << c.what << "\n" << r.out << r.err;
    }
    if (!c.key.empty()) {
      EXPECT_EQ((r.out + r.err).find(c.key), std::string::npos) << c.what;
    }
    const std::string prices = file_bytes(dir.path() + "kabuka/data_m/1301.csv");
    EXPECT_EQ(prices.empty(), c.exit_status != 0 || c.more != bars) << c.what;
  }
  // The refused plan asked once, not once a stock.
  EXPECT_EQ(count_with(site.requests(), "/v2/markets/margin-interest"), 1u);
}

}  // namespace
}  // namespace karigane
