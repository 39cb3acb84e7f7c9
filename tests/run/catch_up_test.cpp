// Taking up stored data, end to end on the command line against the local quote site: a
// database two years behind caught up with the pages of the missing days alone and then equal
// byte for byte to one collected whole; a collection stopped halfway and run again; a current
// database that asks for nothing; a stored file that cannot be read; and the update's gaps,
// warned about, noted and filled.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/file_store.h"
#include "run/collection_run.h"
#include "support/file_fault.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::files_below;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

// A Monday evening: every day up to today is final.
const std::string kNow = "2014-12-08T18:00";

// Eleven stocks, four of them with splits in 2013 and 2014; time series, margin, yearly files.
std::vector<std::string> collect_args(const std::string& dir, const std::string& to) {
  return {"--dir", dir, "collect", "--range", "1378", "1408", "--from", "2012/01/01",
          "--to", to, "--yearly", "--margin"};
}

std::vector<std::string> with(std::vector<std::string> args, const std::string& more) {
  args.push_back(more);
  return args;
}

// The history and margin pages asked for.
std::vector<std::string> page_requests(const quote_site_process& site) {
  std::vector<std::string> out;
  for (const std::string& r : site.requests()) {
    if (r.rfind("/history/", 0) == 0) out.push_back(r);
  }
  return out;
}

// A page's kind and stock: its path and its code ("/history/margin/?code=1378").
std::string subject_of(const std::string& request) {
  const std::size_t amp = request.find('&');
  return request.substr(0, amp);
}

std::size_t count_containing(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
    return l.find(part) != std::string::npos;
  }));
}

class catch_up : public ::testing::Test {
 protected:
  // One site and one database collected whole for every test of the suite.
  static void SetUpTestSuite() {
    site_ = new quote_site_process({"--now", kNow});
    ASSERT_TRUE(site_->started());
    whole_ = new temp_folder;
    testing::write_site_settings(whole_->path(), *site_);
    testing::write_factory_stock_list(whole_->path());
    const auto r = run_karigane(collect_args(whole_->path(), "2014/12/05"), clock());
    ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  }
  static void TearDownTestSuite() {
    delete whole_;
    delete site_;
  }
  void SetUp() override {
    ASSERT_TRUE(site_->started());
    testing::write_site_settings(dir_.path(), *site_);
    testing::write_factory_stock_list(dir_.path());
  }

  static std::vector<std::string> clock() { return {"KARIGANE_NOW=" + kNow}; }
  static std::map<std::string, std::string> whole_database() {
    return files_below(whole_->path() + "kabuka/");
  }

  static quote_site_process* site_;
  static temp_folder* whole_;
  temp_folder dir_;
};

quote_site_process* catch_up::site_ = nullptr;
temp_folder* catch_up::whole_ = nullptr;

TEST_F(catch_up, TwoYearsBehindAreCaughtUpWithTheWindowsOfTheMissingDaysAlone) {
  auto r = run_karigane(collect_args(dir_.path(), "2012/12/28"), clock());
  ASSERT_EQ(r.exit_status, 0) << r.err;
  site_->reset();

  const auto since_stored = with(collect_args(dir_.path(), "2014/12/05"), "--since-stored");
  r = run_karigane(since_stored, clock());
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  // 2012/12/29 to 2014/12/05 is 707 days: 15 windows of 50 days and 3 of 250 per stock, the
  // oldest starting the day after the stored rows; nothing earlier is asked for.
  const std::vector<std::string> pages = page_requests(*site_);
  EXPECT_EQ(pages.size(), 11u * (15 + 3));
  EXPECT_EQ(count_containing(pages, "sy=2012&sm=12&sd=29&"), 11u * 2);
  EXPECT_EQ(count_containing(pages, "sy=2012"), 11u * 2);
  for (const char* window :
       {"/history/?code=1378&sy=2014&sm=10&sd=17&ey=2014&em=12&ed=05&tm=d",
        "/history/?code=1378&sy=2012&sm=12&sd=29&ey=2013&em=01&ed=04&tm=d",
        "/history/margin/?code=1408&sy=2014&sm=03&sd=31&ey=2014&em=12&ed=05&tm=d",
        "/history/margin/?code=1408&sy=2012&sm=12&sd=29&ey=2013&em=07&ed=23&tm=d"}) {
    EXPECT_EQ(std::count(pages.begin(), pages.end(), window), 1) << window;
  }
  EXPECT_EQ(count_containing(r.lines(), "2012/12/29～2013/01/04 時系列株価処理中"), 11u);

  // Prices, splits (four stocks split in the caught-up years), margin and every yearly file.
  EXPECT_EQ(files_below(dir_.path() + "kabuka/"), whole_database());

  // Now current: the same command asks for nothing.
  site_->reset();
  r = run_karigane(since_stored, clock());
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(page_requests(*site_), std::vector<std::string>{});
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"銘柄コードのチェック処理", "収集処理を完了しました。"}));
  EXPECT_EQ(files_below(dir_.path() + "kabuka/"), whole_database());
}

TEST_F(catch_up, AStoppedCollectionRunAgainAsksOnlyForWhatItDidNotStore) {
  struct stop_case {
    const char* kind;
    const char* stop_at;  // SIGINT when standard output shows this
  };
  const std::vector<stop_case> cases = {
      {"time series", "1382 2014/08/28～2014/10/16 時系列株価処理中"},
      {"margin", "1400 2013/07/24～2014/03/30 信用売買残処理中"},
  };
  for (const stop_case& c : cases) {
    SCOPED_TRACE(c.kind);
    temp_folder dir;
    testing::write_site_settings(dir.path(), *site_);
    testing::write_factory_stock_list(dir.path());
    const auto command = with(collect_args(dir.path(), "2014/12/05"), "--since-stored");
    site_->reset();
    bool sent = false;
    auto r = run_karigane(command, clock(), [&](int pid, const std::string& out) {
      if (!sent && out.find(c.stop_at) != std::string::npos) {
        ::kill(pid, SIGINT);
        sent = true;
      }
    });
    ASSERT_TRUE(sent);
    ASSERT_EQ(r.exit_status, 130) << r.out << r.err;
    const std::vector<std::string> first = page_requests(*site_);
    ASSERT_FALSE(first.empty());
    // The stock in hand: its pages were asked for, its files not written.
    const std::string in_hand = subject_of(first.back());

    site_->reset();
    r = run_karigane(command, clock());
    ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
    const std::vector<std::string> second = page_requests(*site_);
    EXPECT_FALSE(second.empty());
    for (const std::string& page : second) {
      if (std::find(first.begin(), first.end(), page) == first.end()) continue;
      EXPECT_EQ(subject_of(page), in_hand) << page << " was asked for twice";
    }
    EXPECT_EQ(files_below(dir.path() + "kabuka/"), whole_database());
  }
}

// A run that ends between the files of the stock in hand (a file that cannot be written, a
// signal, a crash): the split list is written before the price file, so the price file tells
// a run taking up the stored rows whether the stock's days are still missing.
TEST_F(catch_up, ARunEndedBetweenTheFilesOfAStockLeavesItsDaysToBeAskedForAgain) {
  const std::string prices = "kabuka/data_m/1382.csv";
  const std::string splits = "kabuka/data_mh/1382.csv";  // a split on 2013/12/26
  for (const std::string& failing : {splits, prices}) {
    SCOPED_TRACE(failing);
    temp_folder dir;
    testing::write_site_settings(dir.path(), *site_);
    testing::write_factory_stock_list(dir.path());
    const auto r = run_karigane({"--dir", dir.path(), "collect", "--code", "1382", "--from",
                                 "2012/01/01", "--to", "2012/12/28"},
                                clock());
    ASSERT_EQ(r.exit_status, 0) << r.err;
    auto collect = [&] {
      testing::recording_context ctx(dir.path());
      ctx.fix_now(local_time{date{2014, 12, 8}, 18, 0, 0});
      collection_request request;
      request.codes.first = "1382";
      request.period = {"2012", "01", "01", "2014", "12", "05"};
      request.since_stored = true;
      return karigane::collect(ctx, request).ending;
    };
    {
      testing::injected_file_fault full_disk(file_call::rename, failing, ENOSPC);
      ASSERT_EQ(collect(), run_ending::error);
    }
    ASSERT_EQ(collect(), run_ending::completed);
    for (const std::string& file : {prices, splits}) {
      EXPECT_EQ(testing::file_bytes(dir.path() + file), testing::file_bytes(whole_->path() + file))
          << file;
    }
  }
}

TEST_F(catch_up, AStoredFileThatCannotBeReadAsksForNothingAndStaysAsItWas) {
  auto r = run_karigane(collect_args(dir_.path(), "2012/12/28"), clock());
  ASSERT_EQ(r.exit_status, 0) << r.err;
  // One row fewer than its count says; and a folder in the margin file's place.
  const std::string prices = dir_.path() + "kabuka/data_m/1378.csv";
  std::string bytes = testing::file_bytes(prices);
  bytes.erase(bytes.rfind("\r\n", bytes.size() - 3) + 2);
  testing::write_bytes(prices, bytes);
  const std::string margin = dir_.path() + "kabuka/data_c/1378.csv";
  ASSERT_TRUE(remove_file(margin));
  ASSERT_TRUE(ensure_folder(margin));
  const auto before = files_below(dir_.path() + "kabuka/");

  site_->reset();
  r = run_karigane({"--dir", dir_.path(), "collect", "--code", "1378", "--from", "2012/01/01",
                    "--to", "2014/12/05", "--margin", "--since-stored"},
                   clock());
  EXPECT_EQ(r.exit_status, 3) << r.out << r.err;
  EXPECT_EQ(page_requests(*site_), std::vector<std::string>{});
  EXPECT_EQ(files_below(dir_.path() + "kabuka/"), before);
  EXPECT_NE(r.err.find("失敗 2件"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1378 時系列株価 kabuka/data_m/1378.csv"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1378 信用売買残 kabuka/data_c/1378.csv"), std::string::npos) << r.err;
}

// The update on the Tuesday after a Monday holiday (24 November 2014): a series stored up to
// the Friday before has no gap, one stored up to the Wednesday before has two days missing.
class update_gaps : public ::testing::Test {
 protected:
  void SetUp() override {
    site_ = std::make_unique<quote_site_process>(std::vector<std::string>{"--now", now_});
    ASSERT_TRUE(site_->started());
    for (temp_folder* dir : {&whole_, &gap_, &behind_}) {
      testing::write_site_settings(dir->path(), *site_);
      testing::write_factory_stock_list(dir->path());
    }
    collect(whole_, "1378", "1383", "2014/11/25");
    update(whole_, {});
    collect(gap_, "1378", "1383", "2014/11/21");
    // 1380 as it stood after a collection up to the Wednesday.
    collect(behind_, "1380", "1380", "2014/11/19");
    for (const char* file : {"kabuka/data_m/1380.csv", "kabuka/2014/data_m/1380.csv"}) {
      testing::write_bytes(gap_.path() + file, testing::file_bytes(behind_.path() + file));
    }
    site_->reset();
  }

  void collect(const temp_folder& dir, const char* from, const char* to, const char* end) {
    const auto r = run_karigane({"--dir", dir.path(), "collect", "--range", from, to, "--from",
                                 "2014/10/01", "--to", end, "--yearly"},
                                clock_);
    ASSERT_EQ(r.exit_status, 0) << r.err;
  }
  testing::process_result update(const temp_folder& dir, std::vector<std::string> options) {
    options.insert(options.begin(), {"--dir", dir.path(), "update"});
    return run_karigane(options, clock_);
  }

  const std::string now_ = "2014-11-25T17:00";
  const std::vector<std::string> clock_{"KARIGANE_NOW=" + now_};
  std::unique_ptr<quote_site_process> site_;
  temp_folder whole_;
  temp_folder gap_;
  temp_folder behind_;
};

TEST_F(update_gaps, AnUpdateWarnsAndNotesTheGapAndCatchUpFillsItFirst) {
  const std::string warning =
      "karigane: 時系列株価 1件に欠けている取引日があります（2014/11/20 から）。"
      "埋めるには: karigane --dir " +
      gap_.path().substr(0, gap_.path().size() - 1) + " update --catch-up\n";
  const std::string record = gap_.path() + "kabuka/data_m_gaps.csv";
  const std::string series = gap_.path() + "kabuka/data_m/1380.csv";

  // The plain update writes the day after the gap all the same, notes the gap and warns, having
  // asked the index chart whether the Monday was a trading day: it was not, so the Friday
  // series have none.
  auto r = update(gap_, {});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, warning);
  EXPECT_EQ(count_containing(site_->requests(), "/fisco/"), 1u);
  EXPECT_EQ(page_requests(*site_), std::vector<std::string>{});
  EXPECT_EQ(testing::cp932_file(record), "銘柄コード,保存最終日,最新日\r\n1380,20141119,20141125\r\n");
  const std::string after_update = testing::cp932_file(series);
  EXPECT_NE(after_update.find("\r\n20141119,"), std::string::npos);
  EXPECT_EQ(after_update.find("\r\n20141120,"), std::string::npos);
  EXPECT_NE(after_update.find("\r\n20141125,"), std::string::npos);

  // The next plain update still knows the gap, though the series' newest row is the latest day.
  site_->reset();
  r = update(gap_, {});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, warning);
  EXPECT_EQ(count_containing(site_->requests(), "/fisco/"), 0u);

  // The catch-up asks for the missing days of the noted series alone, then writes the day: the
  // database is the one collected whole and updated, the note is gone.
  site_->reset();
  r = update(gap_, {"--catch-up"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(
      page_requests(*site_),
      std::vector<std::string>{"/history/?code=1380&sy=2014&sm=11&sd=20&ey=2014&em=11&ed=25&tm=d"});
  EXPECT_FALSE(file_exists(record));
  EXPECT_EQ(files_below(gap_.path() + "kabuka/"), files_below(whole_.path() + "kabuka/"));

  site_->reset();
  r = update(gap_, {});
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(count_containing(site_->requests(), "/fisco/"), 0u);
}

TEST_F(update_gaps, CatchUpFillsAGapBeforeTheUpdateWouldHideIt) {
  auto r = update(gap_, {"--catch-up"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(
      page_requests(*site_),
      std::vector<std::string>{"/history/?code=1380&sy=2014&sm=11&sd=20&ey=2014&em=11&ed=25&tm=d"});
  EXPECT_EQ(files_below(gap_.path() + "kabuka/"), files_below(whole_.path() + "kabuka/"));
}

// A catch-up cut short after a series' main file took the missing days and before its yearly
// file did (here a folder where the yearly file goes ends the run; a kill there did the same):
// the next catch-up fills the series again, as the record still notes it.
TEST_F(update_gaps, ACatchUpCutShortBeforeTheYearlyFileFillsTheSeriesAgain) {
  const std::string yearly = gap_.path() + "kabuka/2014/data_m/1380.csv";
  const std::string yearly_bytes = testing::file_bytes(yearly);
  std::filesystem::remove(yearly);
  std::filesystem::create_directories(yearly + "/in-the-way");
  auto r = update(gap_, {"--catch-up"});
  ASSERT_EQ(r.exit_status, 1) << r.out << r.err;
  EXPECT_NE(testing::cp932_file(gap_.path() + "kabuka/data_m/1380.csv").find("\r\n20141120,"),
            std::string::npos);
  std::filesystem::remove_all(yearly);
  testing::write_bytes(yearly, yearly_bytes);

  r = update(gap_, {"--catch-up"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(files_below(gap_.path() + "kabuka/"), files_below(whole_.path() + "kabuka/"));
}

// The gap record is input like any other stored file: a line whose code is no stock code (a
// hand-edited "../" reaching outside the database) is never used, and the record is reported,
// counted and left as it is.
TEST_F(update_gaps, AGapRecordLineThatIsNoCodeIsCountedAndNeverUsed) {
  const std::string outside = gap_.path() + "outside.csv";
  testing::write_cp932(outside, "not a series\r\n");
  const std::string record = gap_.path() + "kabuka/data_m_gaps.csv";
  const std::string noted =
      "銘柄コード,保存最終日,最新日\r\n../../outside,20141119,20141125\r\n";
  testing::write_cp932(record, noted);
  const auto r = update(gap_, {"--catch-up"});
  EXPECT_EQ(r.exit_status, 3) << r.out << r.err;
  EXPECT_NE(r.err.find("更新 kabuka/data_m_gaps.csv: "), std::string::npos) << r.err;
  for (const std::string& request : site_->requests()) {
    EXPECT_EQ(request.find("code=."), std::string::npos) << request;
  }
  EXPECT_EQ(testing::cp932_file(outside), "not a series\r\n");
  EXPECT_EQ(testing::cp932_file(record), noted);
}

}  // namespace
}  // namespace karigane
