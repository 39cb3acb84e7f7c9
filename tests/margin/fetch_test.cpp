// The margin fetch and driver against the local quote site over loopback: the retry budget
// as the site sees it (requests), the three page forms, index codes, the progress lines, a
// damaged stored file and the stop.
#include <gtest/gtest.h>

#include <memory>

#include "margin/margin_collection.h"
#include "margin/margin_files.h"
#include "sources/quote_site/margin_fetch.h"
#include "sources/quote_site/quote_site_source.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::quote_site_process;

const kikan_row kWindow{"", date{2013, 1, 1}, date{2013, 9, 7}};
const std::string kNewQuery = "/history/margin/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=09&ed=07&tm=d";

class MarginSite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = std::make_unique<quote_site_process>(std::vector<std::string>{"--now", "2013-09-10T16:00"});
  }
  static void TearDownTestSuite() { site_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(site_->started());
    ASSERT_TRUE(site_->reset());
    site_->use_in(ctx_.settings.quote_site);
  }

  // One window of 1301 in the given form.
  credit_tbl_t fetch(const std::string& form, const kikan_row& window = kWindow) {
    ctx_.settings.quote_site.margin_form = form;
    credit_tbl_t table = empty_credit_table("1301");
    note(fetch_margin_window(ctx_, ctx_.settings.quote_site, window, "1301", "", table));
    return table;
  }

  void drive(const std::vector<std::string>& codes, const date& from, const date& to,
             bool yearly = false) {
    const auto sources = make_quote_site_sources(ctx_.settings.quote_site);
    note(collect_margin(ctx_, ctx_.layout(), sources->margin(), {codes, {from, to}, false, yearly}));
  }

  // A page or step that failed (or was stopped) is -1; a "no data" page is not.
  void note(const status& s) {
    flag_ = s == status::failed || s == status::stopped ? -1 : 0;
    message_ = s.message();
  }

  static std::unique_ptr<quote_site_process> site_;
  testing::temp_folder dir_;
  testing::recording_context ctx_{dir_.path()};
  std::int16_t flag_ = 0;
  std::string message_;
};

std::unique_ptr<quote_site_process> MarginSite::site_;

TEST_F(MarginSite, AnAcceptedPageIsFetchedOnce) {
  const credit_tbl_t t = fetch("新");
  EXPECT_EQ(flag_, 0);
  EXPECT_EQ(message_, "");
  EXPECT_EQ(site_->requests(), std::vector<std::string>{kNewQuery});
  EXPECT_EQ(t[0][kCreditCount], "36");
  EXPECT_EQ(t[0][kCreditMarket], "東証1部");
  EXPECT_EQ(t[1], (credit_row{"20130906", "24800", "35100", "1.42"}));
  // The old table shows the same weeks.
  ASSERT_TRUE(site_->reset());
  const credit_tbl_t old = fetch("旧");
  EXPECT_EQ(site_->requests(),
            std::vector<std::string>{"/bt?c=2013&a=01&b=01&f=2013&d=09&e=07&g=d&s=1301&y=0&z=1301"});
  EXPECT_EQ(old[0][kCreditMarket], "");
  EXPECT_EQ(std::vector<credit_row>(old.begin() + 1, old.end()), std::vector<credit_row>(t.begin() + 1, t.end()));
}

TEST_F(MarginSite, AWeekWhoseFridayIsAHolidayIsDatedOnItsLastTradingDay) {
  const credit_tbl_t t = fetch("新", kikan_row{"", date{2013, 4, 27}, date{2013, 5, 12}});
  ASSERT_EQ(t[0][kCreditCount], "2");
  EXPECT_EQ(t[1][0], "20130510");
  EXPECT_EQ(t[2][0], "20130502");
}

TEST_F(MarginSite, AnotherStockIsFetchedFiveTimesAndNoSuchStockThree) {
  for (const std::string form : {"新", "旧"}) {
    ASSERT_TRUE(site_->reset());
    ASSERT_TRUE(site_->set_fault("wrong-stock"));
    credit_tbl_t t = fetch(form);
    EXPECT_EQ(site_->requests().size(), 5u) << form;
    EXPECT_EQ(flag_, -1);
    EXPECT_EQ(message_, "信用売買残情報はありませんでした");
    EXPECT_EQ(t[0][kCreditCount], "0");

    ASSERT_TRUE(site_->reset());
    ASSERT_TRUE(site_->set_fault("no-stock"));
    t = fetch(form);
    EXPECT_EQ(site_->requests().size(), 3u) << form;
    // The old table says "no margin data" for an unknown stock and an empty window alike: its
    // window ends as one without data, not as a failed one.
    EXPECT_EQ(flag_, form == "旧" ? 0 : -1);
    if (form == "旧") {
      EXPECT_EQ(message_, "error b01:信用残データはありません。");
    }
    EXPECT_EQ(t[0][kCreditCount], "0");
  }
}

TEST_F(MarginSite, ThePageOfAnotherPeriodIsRefusedUntilTheSiteComesRight) {
  ASSERT_TRUE(site_->set_fault("wrong-period", "", 2));
  const credit_tbl_t t = fetch("旧");
  EXPECT_EQ(site_->requests().size(), 3u);
  EXPECT_EQ(flag_, 0);
  EXPECT_EQ(t[0][kCreditCount], "36");
}

TEST_F(MarginSite, TheMobileFormFetchesOnceAndTheWindowFails) {
  const credit_tbl_t t = fetch("Ｍ");
  EXPECT_EQ(site_->requests(), std::vector<std::string>{
                                   "/stock/historicaldata/margin?code=1301.&fy=2013&fm=01&fd=01&ty=2013&tm=09&td=07"});
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, kMobileMarginUnreadable);
  EXPECT_EQ(t[0][kCreditCount], "0");
  // A form the margin download does not know has no page at all.
  fetch("新しい");
  EXPECT_EQ(site_->requests().size(), 1u);
  EXPECT_EQ(flag_, -1);
}

TEST_F(MarginSite, TheDriverWalksWindowsNewestFirstAndIndexesGiveNoFile) {
  drive({"1002", "1301"}, date{2012, 12, 31}, date{2013, 9, 7});
  EXPECT_EQ(ctx_.label1_texts(),
            (std::vector<std::string>{"1002 2013/01/01～2013/09/07 信用売買残処理中",
                                      "1002 2012/12/31～2012/12/31 信用売買残処理中",
                                      "1301 2013/01/01～2013/09/07 信用売買残処理中",
                                      "1301 2012/12/31～2012/12/31 信用売買残処理中"}));
  const auto requests = site_->requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], "/history/margin/?code=998405.t&sy=2013&sm=01&sd=01&ey=2013&em=09&ed=07&tm=d");
  EXPECT_EQ(requests[3], "/history/margin/?code=1301&sy=2012&sm=12&sd=31&ey=2012&em=12&ed=31&tm=d");
  EXPECT_EQ(testing::file_bytes(ctx_.layout().margin_file("1002")), "");
  credit_tbl_t stored;
  ASSERT_EQ(read_dated_file(ctx_.layout().margin_file("1301"), stored, kMarginFile, false), status::ok);
  EXPECT_EQ(stored[0], (credit_row{"1301", "東証1部", "(株)極洋", "36"}));
  EXPECT_EQ(stored[1][0], "20130104");
}

TEST_F(MarginSite, ADamagedStoredFileIsReportedInRedAndKept) {
  const std::string path = ctx_.layout().margin_file("1301");
  testing::write_cp932(path, "1301,東証1部,(株)極洋,5\r\n20121228,1,2,2.00\r\n");
  const std::string before = testing::file_bytes(path);
  drive({"1301"}, date{2013, 8, 1}, date{2013, 9, 7}, true);
  EXPECT_EQ(testing::file_bytes(path), before);
  ASSERT_FALSE(ctx_.label1_history.empty());
  EXPECT_EQ(ctx_.label1_history.back().text, path + " を最後まで読めないため、更新しませんでした。");
  EXPECT_EQ(ctx_.label1_history.back().colour, label_colour::red);
  EXPECT_EQ(testing::file_bytes(ctx_.layout().database + "2013/data_c/1301.csv"), "");
}

TEST_F(MarginSite, AStopDuringAStocksWindowsKeepsWhatEarlierStocksWrote) {
  ctx_.stop_when_label1_contains("1332 2013/01/01");
  drive({"1301", "1332"}, date{2012, 12, 31}, date{2013, 9, 7});
  EXPECT_EQ(flag_, -1);
  EXPECT_EQ(message_, "処理を中断しました。");
  EXPECT_NE(testing::file_bytes(ctx_.layout().margin_file("1301")), "");
  EXPECT_EQ(testing::file_bytes(ctx_.layout().margin_file("1332")), "");
  // Page retrieval does not start a fetch once the stop flag is up.
  EXPECT_EQ(site_->requests().size(), 2u);
}

}  // namespace
}  // namespace karigane
