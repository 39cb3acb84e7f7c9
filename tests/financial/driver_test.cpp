// The financial driver and its page fetch against the local quote site over real HTTP: the
// company filter, the pages asked for and how often, what a failed, refused or stopped page
// leaves stored, and the summaries at the end.
#include <gtest/gtest.h>

#include "core/file_store.h"
#include "financial/statement_collection.h"
#include "sources/quote_site/quote_site_source.h"
#include "sources/quote_site/statement_fetch.h"
#include "support/file_fault.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::file_bytes;
using testing::write_cp932;

const std::string kStockList =
    "6,20130415,市場名,銘柄名\r\n"
    "1001,o,大証指数,日経平均株価\r\n"
    "1301,t,東証1部,(株)極洋\r\n"
    "1332,t,東証1部,日本水産(株)\r\n"
    "1333,t,東証1部,マルハニチロ\r\n"
    "1334,t,東証1部,(株)マルハニチロホールディングス\r\n"
    "9999,t,東証1部,テスト銘柄\r\n";

using codes = std::vector<std::string>;

TEST(CompanyFilter, KeepsTargetsNamedAsCompaniesScanningForward) {
  testing::temp_folder dir;
  testing::recording_context ctx(dir.path());
  write_cp932(dir.path() + "meigara_list.csv", kStockList);
  const auto companies = [&](const codes& targets) {
    return company_codes(ctx, ctx.layout(), targets);
  };
  EXPECT_EQ(companies({"1301", "1332", "9999"}), (codes{"1301", "1332"}));
  EXPECT_EQ(companies({"1001", "1301", "1333", "1334"}), (codes{"1301", "1334"}));
  // Only forward: a later target that lies before the previous one in the list is dropped.
  EXPECT_EQ(companies({"1332", "1301", "1334"}), (codes{"1332", "1334"}));
  // A code the list does not hold does not move the scan.
  EXPECT_EQ(companies({"1301", "5555", "1332"}), (codes{"1301", "1332"}));
  // Codes compare as texts: "01301" is not 1301.
  EXPECT_EQ(companies({"01301"}), codes{});
  EXPECT_EQ(companies({}), codes{});
}

// A program folder with its stock list and a clock, pointed at a local quote site.
class financial_run : public ::testing::Test {
 protected:
  financial_run() : ctx_(dir_.path()) {
    ctx_.fix_now({{2013, 4, 15}, 10, 0, 0});
    site_.use_in(ctx_.settings.quote_site);
    write_cp932(dir_.path() + "meigara_list.csv", kStockList);
  }

  void run(std::initializer_list<std::string> targets) { run_in(ctx_, targets); }
  void run_in(testing::recording_context& ctx, std::initializer_list<std::string> targets) {
    const auto sources = make_quote_site_sources(ctx.settings.quote_site);
    const status outcome = collect_statements(ctx, ctx.layout(), sources->statements(), targets);
    flag_ = outcome.is_ok() ? 0 : -1;
    message_ = outcome.message();
  }

  std::string file(const std::string& folder, const std::string& code = "1301") {
    return dir_.path() + "kabuka/" + folder + "/" + code + ".csv";
  }
  std::string summary(const std::string& folder) {
    return dir_.path() + "kabuka/" + folder + "_d/20130415.csv";
  }

  testing::quote_site_process site_{{"--now", "2013-04-15T10:00"}};
  testing::temp_folder dir_;
  testing::recording_context ctx_;
  std::int16_t flag_ = 0;
  std::string message_;
};

TEST_F(financial_run, FetchesTheThreePagesOfEveryCompanyThenWritesTheSummaries) {
  ASSERT_TRUE(site_.started());
  run({"1001", "1301", "1333", "9999"});
  EXPECT_EQ(site_.requests(),
            (std::vector<std::string>{"/independent/1301", "/consolidate/1301", "/interim/1301"}));
  const auto texts = ctx_.label1_texts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[0], "企業銘柄確認中");
  EXPECT_EQ(texts[1], "財務情報処理中 1301");
  for (const char* folder : {"data_ztan", "data_zren", "data_ztyu"}) {
    const std::string text = testing::cp932_file(summary(folder));
    EXPECT_EQ(text.substr(text.find(',') + 1, 9), "20130415,") << folder;
  }
  EXPECT_NE(testing::cp932_file(file("data_ztan")).find("1301,,(株)極洋,3,営業利益"), std::string::npos);
  EXPECT_NE(testing::cp932_file(file("data_ztyu")).find("1301,,(株)極洋,2,営業利益"), std::string::npos);
}

TEST_F(financial_run, APageWithoutKindMarkersIsFetchedThreeTimesThenTheNextKind) {
  ASSERT_TRUE(site_.set_fault("no-stock", "", 0, "/independent/1301"));
  run({"1301"});
  EXPECT_EQ(site_.requests(),
            (std::vector<std::string>{"/independent/1301", "/independent/1301", "/independent/1301",
                                      "/consolidate/1301", "/interim/1301"}));
  EXPECT_FALSE(testing::file_bytes(file("data_ztyu")).empty());
  EXPECT_EQ(testing::file_bytes(file("data_ztan")), "");
  // The last page fetched decides the result.
  EXPECT_EQ(flag_, 0);
}

TEST_F(financial_run, AnotherStocksPageIsAskedForAgain) {
  ASSERT_TRUE(site_.set_fault("wrong-stock", "1301", 1, "/interim/1301"));
  run({"1301"});
  EXPECT_EQ(site_.requests(),
            (std::vector<std::string>{"/independent/1301", "/consolidate/1301", "/interim/1301",
                                      "/interim/1301"}));
  EXPECT_EQ(flag_, 0);
  EXPECT_NE(testing::cp932_file(file("data_ztyu")).find("1301,,(株)極洋,2,"), std::string::npos);

  // Three wrong pages in a row: the kind is given up, the last failure is the result.
  ASSERT_TRUE(site_.reset());
  ASSERT_TRUE(site_.set_fault("wrong-stock", "1301", 0, "/interim/1301"));
  const std::string before = file_bytes(file("data_ztyu"));
  run({"1301"});
  EXPECT_EQ(site_.requests().size(), 5u);
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, "コード不一致");
  EXPECT_EQ(file_bytes(file("data_ztyu")), before);
}

TEST_F(financial_run, StatementsMissingOnTheLastPageEndWithItsMessage) {
  ASSERT_TRUE(site_.set_fault("no-data", "", 0, "/interim/1301"));
  run({"1301"});
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, "error b01:財務情報データはありません。");
  EXPECT_EQ(site_.requests().size(), 3u);
  EXPECT_EQ(file_bytes(file("data_ztyu")), "");
  // The summaries are written all the same.
  EXPECT_NE(testing::cp932_file(summary("data_ztyu")), "");
}

TEST_F(financial_run, WithoutCompaniesOnlyTheSummariesAreWritten) {
  write_cp932(file("data_ztan", "1332"),
              "1332,,日本水産(株),1,営業利益,経常利益,当期利益,EPS（一株当たり利益,調整一株当たり利益,"
              "1株配当,BPS（一株当たり純資産）,発行済み株式総数,総資産,自己資本,資本金,有利子負債,"
              "繰越損益,自己資本比率,含み損益,ROA（総資産利益率）,ROE（自己資本利益率）,総資産経常利益率\r\n"
              "20120300,20120511,12,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19\r\n");
  run({"1001", "9999"});
  EXPECT_TRUE(site_.requests().empty());
  EXPECT_EQ(flag_, 0);
  const std::string text = testing::cp932_file(summary("data_ztan"));
  EXPECT_EQ(text.substr(0, text.find(',')), "1");
  EXPECT_NE(text.find("\r\n1332,日本水産(株),20120300,20120511,12,1,2,"), std::string::npos);
  EXPECT_EQ(testing::cp932_file(summary("data_ztyu")).substr(0, 2), "0,");
}

TEST_F(financial_run, ADamagedStockFileStaysAsItWasAndTheOtherKindsGoOn) {
  const std::string damaged = "1301,,(株)極洋,5,x\r\n20100300\r\n";
  write_cp932(file("data_ztan"), damaged);
  run({"1301"});
  EXPECT_EQ(testing::cp932_file(file("data_ztan")), damaged);
  EXPECT_FALSE(file_bytes(file("data_ztyu")).empty());
  bool reported = false;
  for (const auto& e : ctx_.label1_history) {
    if (e.text == file("data_ztan") + " を最後まで読めないため、更新しませんでした。") {
      reported = e.colour == label_colour::red;
    }
  }
  EXPECT_TRUE(reported);
  const std::string text = testing::cp932_file(summary("data_ztan"));
  EXPECT_EQ(text.substr(0, 2), "0,");
}

TEST_F(financial_run, AFileThatCannotBeWrittenEndsTheRunNamingIt) {
  // A full disk under the first stock file: the run ends there, before any summary.
  {
    testing::injected_file_fault full(file_call::rename, file("data_ztan"), ENOSPC);
    run({"1301", "1332"});
  }
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, "ファイルを書き込めません: kabuka/data_ztan/1301.csv");
  EXPECT_EQ(ctx_.run_error(), message_);
  EXPECT_EQ(file_bytes(file("data_ztan")), "");
  EXPECT_EQ(file_bytes(file("data_zren", "1332")), "");
  EXPECT_EQ(file_bytes(summary("data_zren")), "");

  // A file where a summary folder should be: the summaries before it are written.
  ctx_.reset_run_state();
  write_cp932(dir_.path() + "kabuka/data_ztyu_d", "not a folder");
  run({"1301"});
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, "ファイルを書き込めません: kabuka/data_ztyu_d/");
  EXPECT_NE(file_bytes(summary("data_zren")), "");
}

// Raises the stop flag as soon as the first page has arrived.
class stop_after_first_page : public testing::recording_context {
 public:
  using recording_context::recording_context;
  void set_label4(std::string_view text, label_colour colour) override {
    recording_context::set_label4(text, colour);
    if (text.empty()) set_stop_flag(true);
  }
};

TEST_F(financial_run, AStopDuringAPageStoresNothingAndWritesNoSummary) {
  stop_after_first_page ctx(dir_.path());
  ctx.fix_now({{2013, 4, 15}, 10, 0, 0});
  site_.use_in(ctx.settings.quote_site);
  run_in(ctx, {"1301", "1334"});
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, "処理を中断しました。");
  EXPECT_EQ(site_.requests(), (std::vector<std::string>{"/independent/1301"}));
  for (const char* folder : {"data_ztan", "data_zren", "data_ztyu"}) {
    EXPECT_EQ(file_bytes(file(folder)), "") << folder;
    EXPECT_EQ(file_bytes(summary(folder)), "") << folder;
  }
}

TEST(StatementFetch, CodesBelow1301NeverReachTheSite) {
  testing::quote_site_process site;
  testing::temp_folder dir;
  testing::recording_context ctx(dir.path());
  site.use_in(ctx.settings.quote_site);
  zaimu_tbl_t table;
  const status page = fetch_statement_page(ctx, ctx.settings.quote_site, "1001", "単独決算", table);
  EXPECT_EQ(page, status::failed);
  EXPECT_EQ(page.message(), "該当銘柄の情報は有りません。");
  EXPECT_TRUE(site.requests().empty());
}

}  // namespace
}  // namespace karigane
