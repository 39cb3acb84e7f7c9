// `karigane init --site URL` and `init --jquants`: the path from the local quote site, or from
// J-Quants, to one's own program folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::run_karigane;
using testing::temp_folder;

TEST(Init, AFolderSetUpForTheLocalSiteCollectsFromIt) {
  testing::quote_site_process site({"--now", "2013-02-20T16:00"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  const std::string folder = dir.path() + "kabu";
  const auto init = run_karigane({"--dir", folder, "init", "--site", site.url() + "/"});
  ASSERT_EQ(init.exit_status, 0) << init.err;
  // Every host key points at the site, and the folder has the factory stock list.
  const std::string settings = testing::file_bytes(folder + "/settei.txt");
  EXPECT_NE(settings.find("株価サイトURL," + site.url() + "\r\n"), std::string::npos);
  EXPECT_NE(settings.find("指標サイトURL," + site.url() + "\r\n"), std::string::npos);
  EXPECT_EQ(testing::file_bytes(folder + "/meigara_list.csv").substr(0, 5), "3561,");

  const auto collect = run_karigane({"--dir", folder, "collect", "--code", "7203", "--from",
                                     "2013/01/04", "--to", "2013/01/10"},
                                    {"KARIGANE_NOW=2013-02-20T16:00"});
  EXPECT_EQ(collect.exit_status, 0) << collect.err;
  EXPECT_EQ(site.requests().size(), 1u);
  EXPECT_EQ(testing::file_bytes(folder + "/kabuka/data_m/7203.csv").substr(0, 5), "7203,");
}

TEST(Init, RefusesABadSiteAndAnExistingSettingsFileWithoutForce) {
  temp_folder dir;
  struct refusal {
    std::vector<std::string> args;
    int exit_status;
    const char* says;
  };
  testing::write_bytes(dir.path() + "settei.txt", "EOF,EOF\r\n");
  for (const refusal& r : std::vector<refusal>{
           {{"init", "--site", "127.0.0.1:8080"}, 2, "http://"},
           {{"init", "--site", "http://host/history/?code=1"}, 2, "http://"},
           {{"init"}, 2, "--site"},
           {{"init", "--site", "http://127.0.0.1:8080"}, 1, "--force"},
       }) {
    std::vector<std::string> args{"--dir", dir.path()};
    args.insert(args.end(), r.args.begin(), r.args.end());
    const auto out = run_karigane(args);
    EXPECT_EQ(out.exit_status, r.exit_status) << out.err;
    EXPECT_NE(out.err.find(r.says), std::string::npos) << out.err;
    EXPECT_EQ(testing::file_bytes(dir.path() + "settei.txt"), "EOF,EOF\r\n");
  }
  const auto forced =
      run_karigane({"--dir", dir.path(), "init", "--site", "http://127.0.0.1:8080", "--force"});
  EXPECT_EQ(forced.exit_status, 0) << forced.err;
  EXPECT_NE(testing::file_bytes(dir.path() + "settei.txt").find("127.0.0.1:8080"),
            std::string::npos);
}

TEST(Init, AFolderSetUpForJQuantsHoldsItsKeyForItsOwnerAndItsListOfIssues) {
  testing::quote_site_process site({"--now", "2026-01-10T18:00", "--jquants-key",
                                    "key-for-test-5Z7Q", "--plan", "Light", "--jquants-rate-window",
                                    "0"});
  ASSERT_TRUE(site.started());
  temp_folder dir;
  const std::string folder = dir.path() + "kabu/";
  const std::vector<std::string> clock{"KARIGANE_NOW=2026-01-10T18:00",
                                       "KARIGANE_JQUANTS_MINUTE=0"};
  auto with_key = [&](const std::string& key) {
    std::vector<std::string> env = clock;
    env.push_back("JQUANTS_API_KEY=" + key);
    return env;
  };
  const std::vector<std::string> init{"--dir", folder, "init", "--jquants", "--site", site.url()};
  struct refusal {
    std::vector<std::string> args;
    std::vector<std::string> env;
    int exit_status;
    const char* says;
  };
  for (const refusal& r : std::vector<refusal>{
           {init, with_key("wrong-key-0000"), 1, "J-QuantsAPIキー"},
           {init, with_key(""), 2, "JQUANTS_API_KEY"},
           {{"--dir", folder, "init", "--jquants", "--plan", "Gold"}, with_key("k"), 2, "Premium"},
           {{"--dir", folder, "init", "--site", site.url(), "--plan", "Light"},
            clock,
            2,
            "--jquants"},
       }) {
    const auto out = run_karigane(r.args, r.env);
    EXPECT_EQ(out.exit_status, r.exit_status) << out.err;
    EXPECT_NE(out.err.find(r.says), std::string::npos) << out.err;
    EXPECT_EQ(out.err.find("wrong-key-0000"), std::string::npos) << out.err;
    EXPECT_FALSE(std::filesystem::exists(folder)) << "nothing is written";
  }

  auto out = run_karigane(init, with_key("key-for-test-5Z7Q"));
  ASSERT_EQ(out.exit_status, 0) << out.err;
  EXPECT_EQ(out.out.find("key-for-test-5Z7Q"), std::string::npos) << out.out;
  EXPECT_NE(out.out.find("…5Z7Q"), std::string::npos) << out.out;
  std::string settings = testing::file_bytes(folder + "settei.txt");
  for (const std::string& record :
       std::vector<std::string>{"データ取得元,J-Quants\r\n", "J-QuantsURL," + site.url() + "\r\n",
                                std::string("J-QuantsAPIキー,key-for-test-5Z7Q\r\n"),
                                std::string("J-Quantsプラン,Free\r\n")}) {
    EXPECT_NE(settings.find(record), std::string::npos) << record;
  }
  EXPECT_EQ(
      std::filesystem::status(folder + "settei.txt").permissions() & std::filesystem::perms::all,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  // The issues of the Free plan's newest day, alphanumeric codes among them.
  const std::string list = testing::cp932_file(folder + "meigara_list.csv");
  EXPECT_EQ(list.find(",20251017,,\r\n"), list.find(','));  // the newest business day
  EXPECT_NE(list.find("\r\n130A,t,東証グロース,(株)アオバサイエンス\r\n"), std::string::npos);
  EXPECT_EQ(list.find("\r\n1413,"), std::string::npos);  // a regional exchange's stock

  // Set up again over a file with a setting of the user's own: --force, and it stays.
  testing::write_bytes(folder + "settei.txt",
                       testing::file_bytes(folder + "settei.txt") + "わたしのメモ,残す\r\n");
  out = run_karigane(init, with_key("key-for-test-5Z7Q"));
  EXPECT_EQ(out.exit_status, 1);
  EXPECT_NE(out.err.find("--force"), std::string::npos) << out.err;
  std::vector<std::string> forced = init;
  forced.insert(forced.end(), {"--plan", "light", "--force"});
  out = run_karigane(forced, with_key("key-for-test-5Z7Q"));
  ASSERT_EQ(out.exit_status, 0) << out.err;
  settings = testing::file_bytes(folder + "settei.txt");
  EXPECT_NE(settings.find("J-Quantsプラン,Light\r\n"), std::string::npos);
  EXPECT_NE(settings.find("わたしのメモ,残す\r\n"), std::string::npos);

  out = run_karigane(
      {"--dir", folder, "collect", "--code", "1301", "--from", "2025/12/01", "--to", "2025/12/31"},
      with_key(""));
  EXPECT_EQ(out.exit_status, 0) << out.out << out.err;
  EXPECT_EQ(testing::cp932_file(folder + "kabuka/data_m/1301.csv").substr(0, 40),
            std::string("1301,東証プライム,(株)極洋,20251201,").substr(0, 40));
}

}  // namespace
}  // namespace karigane
