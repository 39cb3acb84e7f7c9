// `karigane collect --margin` end to end: the command line against the local quote site in
// both page forms, with "年毎" and a period of 251 days (two windows), checked by the exact
// requests the site saw and the CP932 bytes of the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/cp932.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::file_bytes;
using testing::quote_site_process;
using testing::temp_folder;

const std::string kNow = "2013-07-01T16:00";

class MarginCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = std::make_unique<quote_site_process>(std::vector<std::string>{"--now", kNow});
  }
  static void TearDownTestSuite() { site_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(site_->started());
    ASSERT_TRUE(site_->reset());
  }

  // The program folder's settings: every host on the local site, and the margin page form.
  void settings(const std::string& form) { settings_in(dir_.path(), form); }
  void settings_in(const std::string& folder, const std::string& form) {
    std::string text;
    for (const char* key : {"株価サイトURL", "モバイルサイトURL", "旧株価テーブルURL", "企業情報サイトURL", "指標サイトURL"}) {
      text += std::string(key) + "," + site_->url() + "\r\n";
    }
    testing::write_cp932(folder + "settei.txt", text + "時系列信用売買残取得サイト," + form + "\r\nEOF,EOF\r\n");
  }

  // 2012/10/23 to 2013/06/30 is 251 days: 2012/10/24～2013/06/30, then 2012/10/23 alone.
  testing::process_result collect(const std::string& folder = {}) {
    return testing::run_karigane({"--dir", folder.empty() ? dir_.path() : folder, "collect", "--no-timeseries", "--margin", "--yearly",
                                  "--code", "1301", "--from", "2012/10/23", "--to", "2013/06/30"},
                                 {"KARIGANE_NOW=" + kNow});
  }

  std::string file(const std::string& rel, const std::string& folder = {}) const {
    return file_bytes((folder.empty() ? dir_.path() : folder) + "kabuka/" + rel);
  }

  static std::unique_ptr<quote_site_process> site_;
  temp_folder dir_;
};

std::unique_ptr<quote_site_process> MarginCommand::site_;

const std::vector<std::string> kOutput{"銘柄コードのチェック処理", "1301 2012/10/24～2013/06/30 信用売買残処理中",
                                       "1301 2012/10/23～2012/10/23 信用売買残処理中", "収集処理を完了しました。"};

// The data lines of a file's bytes (everything after the header line).
std::string data_lines(const std::string& bytes) { return bytes.substr(bytes.find("\r\n") + 2); }

TEST_F(MarginCommand, TheMarginHistoryPageGivesTheFileAndItsYearlyCopies) {
  settings("新");
  const auto r = collect();
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines(), kOutput);
  EXPECT_EQ(site_->requests(),
            (std::vector<std::string>{"/history/margin/?code=1301&sy=2012&sm=10&sd=24&ey=2013&em=06&ed=30&tm=d",
                                      "/history/margin/?code=1301&sy=2012&sm=10&sd=23&ey=2012&em=10&ed=23&tm=d"}));

  const std::string main = file("data_c/1301.csv");
  const std::string header = utf8_to_cp932("1301,東証1部,(株)極洋,36\r\n");
  ASSERT_EQ(main.substr(0, header.size()), header);
  // Weekly rows, oldest first; a Friday holiday moves the week to the Thursday.
  const std::string lines = data_lines(main);
  EXPECT_EQ(lines.substr(0, 9), "20121026,");
  EXPECT_NE(lines.find("\r\n20121122,"), std::string::npos);
  EXPECT_EQ(lines.substr(lines.rfind("\r\n", lines.size() - 3) + 2, 9), "20130628,");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 36);
  EXPECT_EQ(lines.find_first_not_of("0123456789,.\r\n"), std::string::npos);

  const std::string y2012 = file("2012/data_c/1301.csv");
  const std::string y2013 = file("2013/data_c/1301.csv");
  EXPECT_EQ(y2012.substr(0, y2012.find("\r\n") + 2), utf8_to_cp932("1301,東証1部,(株)極洋,10\r\n"));
  EXPECT_EQ(y2013.substr(0, y2013.find("\r\n") + 2), utf8_to_cp932("1301,東証1部,(株)極洋,26\r\n"));
  EXPECT_EQ(data_lines(y2012) + data_lines(y2013), lines);
}

TEST_F(MarginCommand, TheOldTablePageGivesTheSameWeeksWithoutAMarketName) {
  settings("旧");
  const auto r = collect();
  // The one-day window without a week is no failure, though its page is refused.
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines(), kOutput);
  // The one-day window has no week: the old page's no-data text is refused three times.
  const std::string single = "/bt?c=2012&a=10&b=23&f=2012&d=10&e=23&g=d&s=1301&y=0&z=1301";
  EXPECT_EQ(site_->requests(),
            (std::vector<std::string>{"/bt?c=2012&a=10&b=24&f=2013&d=06&e=30&g=d&s=1301&y=0&z=1301", single,
                                      single, single}));
  const std::string old_main = file("data_c/1301.csv");
  EXPECT_EQ(old_main.substr(0, old_main.find("\r\n") + 2), utf8_to_cp932("1301,,(株)極洋,36\r\n"));

  // The same weeks as the margin history page; and a file made from the history page keeps
  // its market name when the old table is merged into it.
  temp_folder other;
  settings_in(other.path(), "新");
  ASSERT_EQ(collect(other.path()).exit_status, 0);
  const std::string new_main = file("data_c/1301.csv", other.path());
  EXPECT_EQ(data_lines(new_main), data_lines(old_main));
  settings_in(other.path(), "旧");
  ASSERT_EQ(collect(other.path()).exit_status, 0);
  EXPECT_EQ(file("data_c/1301.csv", other.path()), new_main);
}

TEST_F(MarginCommand, IndexCodesAreAskedForUnderTheirSiteCodesAndGiveNoFile) {
  settings("新");
  const auto r = testing::run_karigane({"--dir", dir_.path(), "collect", "--no-timeseries", "--margin", "--code",
                                        "1001", "--from", "2013/06/01", "--to", "2013/06/30"},
                                       {"KARIGANE_NOW=" + kNow});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(site_->requests(), std::vector<std::string>{
                                   "/history/margin/?code=998407.o&sy=2013&sm=06&sd=01&ey=2013&em=06&ed=30&tm=d"});
  EXPECT_EQ(file("data_c/1001.csv"), "");
}

}  // namespace
}  // namespace karigane
