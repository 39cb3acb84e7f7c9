// `karigane init --site URL`: the path from the local quote site to one's own program folder.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace karigane
