// The command line binary on temporary program folders: exit status, printed lines, files.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::run_karigane;
using testing::temp_folder;

TEST(CommandLine, ACollectionWithoutDataKindsChecksTheTargetsAndCompletes) {
  temp_folder dir;
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--no-timeseries", "--code", "1332"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.lines(),
            (std::vector<std::string>{"銘柄コードのチェック処理", "収集処理を完了しました。"}));
  // A fresh program folder gets the factory stock list, in CP932.
  const std::string list = testing::file_bytes(dir.path() + "meigara_list.csv");
  EXPECT_EQ(list.substr(0, 5), "3561,");
  EXPECT_NE(list.find("1332,t,\x93\x8C\x8F\xD8" "1\x95\x94"), std::string::npos);  // 東証1部
}

TEST(CommandLine, AnInvalidCodeIsTheErrorEnding) {
  temp_folder dir;
  const auto r = run_karigane({"collect", "--dir", dir.path(), "--code", "999"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.lines(), std::vector<std::string>{"銘柄コードＮＯをご確認ください。"});
}

TEST(CommandLine, TableModeWithoutTheTableSaysSo) {
  temp_folder dir;
  const auto r = run_karigane({"--dir", dir.path(), "collect", "--table"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.lines(), std::vector<std::string>{"ファイル　download_code.csv　がありません。"});
}

TEST(CommandLine, UsageErrorsExitWithTwo) {
  temp_folder dir;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"collect", "--bogus"}, {"collect", "--from", "2013-01"},
        {"collect", "--range", "1301"}, {"frobnicate"}, {"--dir"}}) {
    std::vector<std::string> full{"--dir", dir.path()};
    full.insert(full.end(), args.begin(), args.end());
    const auto r = run_karigane(full);
    EXPECT_EQ(r.exit_status, 2) << args.back();
    EXPECT_NE(r.err.find("karigane:"), std::string::npos);
  }
}

TEST(CommandLine, AProgramFolderThatCannotBeMadeIsAClearError) {
  temp_folder dir;
  testing::write_bytes(dir.path() + "file", "x");
  const auto r = run_karigane({"--dir", dir.path() + "file/sub", "collect"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("プログラムフォルダを作成できません"), std::string::npos);
}

TEST(CommandLine, HelpListsTheCommandsAndExitStatuses) {
  const auto r = run_karigane({"--help"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.out.find("collect"), std::string::npos);
  EXPECT_NE(r.out.find("130"), std::string::npos);
}

}  // namespace
}  // namespace karigane
