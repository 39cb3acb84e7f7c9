// The financial collection end to end: the command line against the local quote site with the
// clock set, checked request by request and byte by byte against the site's data set.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <map>

#include "core/cp932.h"
#include "site_data.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using quote_site::statement_kind;
using testing::file_bytes;
using testing::process_result;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

const std::string kStockLabels =
    "営業利益,経常利益,当期利益,EPS（一株当たり利益,調整一株当たり利益,1株配当,"
    "BPS（一株当たり純資産）,発行済み株式総数,総資産,自己資本,資本金,有利子負債,繰越損益,"
    "自己資本比率,含み損益,ROA（総資産利益率）,ROE（自己資本利益率）,総資産経常利益率";

const std::string kSummaryLabels =
    "決算発表日,決算月数,売上高,営業利益,経常利益,当期利益,EPS（一株当たり利益）,"
    "調整一株当たり利益,1株配当,BPS（一株当たり純資産）,発行済み株式総数,総資産,自己資本,"
    "資本金,有利子負債,繰越損益,自己資本比率,含み損益,ROA（総資産利益率）,"
    "ROE（自己資本利益率）,総資産経常利益率";

struct kind_case {
  statement_kind kind;
  const char* text;
  const char* folder;
  const char* path;
};

constexpr kind_case kKinds[] = {
    {statement_kind::independent, "単独決算", "data_ztan", "/independent/"},
    {statement_kind::consolidated, "連結決算", "data_zren", "/consolidate/"},
    {statement_kind::interim, "中間決算", "data_ztyu", "/interim/"},
};

process_result collect(const temp_folder& dir, const std::vector<std::string>& options,
                       const std::string& now) {
  std::vector<std::string> args{"--dir", dir.path(), "collect", "--no-timeseries", "--financial"};
  args.insert(args.end(), options.begin(), options.end());
  return run_karigane(args, {"KARIGANE_NOW=" + now});
}

TEST(CollectFinancial, ThreePagesPerCompanyIntoItsFilesAndTheDatedSummaries) {
  const std::string now = "2013-04-15T10:00";
  quote_site_process site({"--now", now});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  testing::write_factory_stock_list(dir.path());
  const auto r = collect(dir, {"--range", "1301", "1334"}, now);

  const auto& data = testing::site_data(now);
  const std::vector<std::string> codes{"1301", "1332", "1334"};
  std::vector<std::string> pages;
  for (const auto& code : codes) {
    for (const auto& k : kKinds) pages.push_back(k.path + code);
  }
  EXPECT_EQ(site.requests(), pages);

  const bool last_page_has_statements = !testing::expected_records(data, "1334", statement_kind::interim).empty();
  EXPECT_EQ(r.exit_status, last_page_has_statements ? 0 : 1) << r.out << r.err;
  const auto lines = r.lines();
  const std::vector<std::string> progress{"企業銘柄確認中", "財務情報処理中 1301", "財務情報処理中 1332",
                                          "財務情報処理中 1334"};
  auto at = std::find(lines.begin(), lines.end(), progress[0]);
  ASSERT_NE(at, lines.end()) << r.out;
  EXPECT_EQ(std::vector<std::string>(at, at + 4), progress);
  if (last_page_has_statements) {
    EXPECT_EQ(lines.back(), "収集処理を完了しました。");
  }

  for (const auto& k : kKinds) {
    SCOPED_TRACE(k.text);
    std::string summary;
    int listed = 0;
    for (const auto& code : codes) {
      int count = 0;
      const std::string rows = testing::expected_stock_lines(data, code, k.kind, count);
      const std::string path = dir.path() + "kabuka/" + k.folder + "/" + code + ".csv";
      if (count == 0) {
        EXPECT_EQ(file_bytes(path), "") << code;
        continue;
      }
      const std::string header =
          code + ",," + data.find(code)->name + "," + std::to_string(count) + "," + kStockLabels + "\r\n";
      EXPECT_EQ(file_bytes(path), utf8_to_cp932(header + rows)) << code;
      summary += testing::expected_summary_line(data, code, k.kind) + "\r\n";
      ++listed;
    }
    EXPECT_EQ(file_bytes(dir.path() + "kabuka/" + k.folder + "_d/20130415.csv"),
              utf8_to_cp932(std::to_string(listed) + ",20130415," + k.text + "," + kSummaryLabels +
                            "\r\n" + summary));
  }
}

TEST(CollectFinancial, ALaterRunMergesTheNewPeriodsIntoTheStoredFile) {
  temp_folder dir;
  const std::string april = "2013-04-15T10:00";
  const std::string june = "2013-06-17T10:00";
  for (const std::string& now : {april, june}) {
    quote_site_process site({"--now", now});
    ASSERT_TRUE(site.started());
    testing::write_site_settings(dir.path(), site);
    testing::write_factory_stock_list(dir.path());
    const auto r = collect(dir, {"--code", "1301"}, now);
    EXPECT_EQ(site.requests(),
              (std::vector<std::string>{"/independent/1301", "/consolidate/1301", "/interim/1301"}));
    EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  }

  // The periods of both runs, one line each, the newer run's figures where they meet.
  std::map<std::string, testing::record> periods;
  for (const std::string& now : {april, june}) {
    for (const auto& rec : testing::expected_records(testing::site_data(now), "1301", statement_kind::independent)) {
      ASSERT_NE(rec[0], "---");
      periods[rec[0]] = rec;
    }
  }
  ASSERT_GT(periods.size(), 3u);
  std::string rows;
  for (const auto& [period, rec] : periods) {
    for (std::size_t i = 0; i < rec.size(); ++i) {
      if (i == 10) continue;
      rows += (i ? "," : "") + rec[i];
    }
    rows += "\r\n";
  }
  EXPECT_EQ(file_bytes(dir.path() + "kabuka/data_ztan/1301.csv"),
            utf8_to_cp932("1301,,(株)極洋," + std::to_string(periods.size()) + "," + kStockLabels +
                          "\r\n" + rows));
  // Each day has its own summary.
  EXPECT_NE(file_bytes(dir.path() + "kabuka/data_ztan_d/20130415.csv"), "");
  EXPECT_NE(file_bytes(dir.path() + "kabuka/data_ztan_d/20130617.csv"), "");
}

TEST(CollectFinancial, AStopEndsTheRunWithoutStoringThePageOrWritingSummaries) {
  const std::string now = "2013-04-15T10:00";
  quote_site_process site({"--now", now, "--fault", "mode=hang&path=/consolidate/1332"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  testing::write_site_settings(dir.path(), site);
  testing::write_factory_stock_list(dir.path());
  bool sent = false;
  const auto r = run_karigane(
      {"--dir", dir.path(), "collect", "--no-timeseries", "--financial", "--range", "1301", "1334"},
      {"KARIGANE_NOW=" + now}, [&](int pid, const std::string& out) {
        if (!sent && out.find("財務情報処理中 1332") != std::string::npos) {
          ::kill(pid, SIGINT);
          sent = true;
        }
      });
  ASSERT_TRUE(sent);
  EXPECT_EQ(r.exit_status, 130);
  EXPECT_EQ(r.lines().back(), "処理を中断しました。");
  const auto requests = site.requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "/independent/1334"), 0);
  EXPECT_TRUE(file_bytes(dir.path() + "kabuka/data_zren/1332.csv").empty());
  EXPECT_TRUE(file_bytes(dir.path() + "kabuka/data_ztyu/1332.csv").empty());
  for (const char* folder : {"data_ztan_d", "data_zren_d", "data_ztyu_d"}) {
    EXPECT_TRUE(file_bytes(dir.path() + "kabuka/" + folder + "/20130415.csv").empty()) << folder;
  }
}

}  // namespace
}  // namespace karigane
