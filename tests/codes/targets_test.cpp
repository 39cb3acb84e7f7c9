// Target selection in the three modes and the validity check.
#include "codes/targets.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::temp_folder;

struct selection {
  code_list_t codes;
  std::int16_t flag = 0;
  std::string message;
};

selection select(recording_context& ctx) {
  selection s;
  code_set1_sub(ctx, s.codes, s.flag, s.message);
  return s;
}

selection individual(const std::string& text) {
  recording_context ctx;
  ctx.controls.code_txt = text;
  return select(ctx);
}

TEST(IndividualMode, LimitsOfTheCode) {
  EXPECT_EQ(individual("1000").codes, (code_list_t{"1", "1000"}));
  EXPECT_EQ(individual("  7203x").codes, (code_list_t{"1", "7203"}));
  for (const char* bad : {"999", "10000", "abc", "", "1301.5"}) {
    const selection s = individual(bad);
    EXPECT_EQ(s.flag, kTrue) << bad;
    EXPECT_EQ(s.message, "銘柄コードＮＯをご確認ください。") << bad;
  }
}

TEST(RangeMode, BoxesAreSwappedAndCodesBetween1005And1300Skipped) {
  recording_context ctx;
  ctx.controls.meigara_code_opt = selection_mode::range;
  ctx.controls.code_txt = "9999";
  ctx.controls.code1_txt = " 1301";
  const selection s = select(ctx);
  EXPECT_EQ(ctx.controls.code_txt, "1301");
  EXPECT_EQ(ctx.controls.code1_txt, "9999");
  EXPECT_EQ(s.codes[0], "8699");
  EXPECT_EQ(s.codes.size(), 8700u);

  ctx.controls.code_txt = "1000";
  ctx.controls.code1_txt = "1400";
  const selection small = select(ctx);
  EXPECT_EQ(small.codes[0], "104");
  EXPECT_EQ((code_list_t(small.codes.begin() + 1, small.codes.begin() + 6)),
            (code_list_t{"1001", "1002", "1003", "1004", "1301"}));
  EXPECT_EQ(small.codes.back(), "1400");

  ctx.controls.code1_txt = "x";
  EXPECT_EQ(select(ctx).message, "銘柄コードＮＯをご確認ください。");
}

TEST(TableMode, SortedByValueKeepingDuplicates) {
  temp_folder dir;
  recording_context ctx(dir.path());
  ctx.controls.meigara_code_opt = selection_mode::table;
  testing::write_cp932(dir.path() + "download_code.csv", "3\r\n7203\r\n1301\r\n7203\r\n");
  EXPECT_EQ(select(ctx).codes, (code_list_t{"3", "1301", "7203", "7203"}));
  testing::write_cp932(dir.path() + "download_code.csv", "2,9984,\"1332\"\r\n");
  EXPECT_EQ(select(ctx).codes, (code_list_t{"2", "1332", "9984"}));
}

TEST(TableMode, FieldsThatAreNotCodesAreLeftOut) {
  temp_folder dir;
  recording_context ctx(dir.path());
  ctx.controls.meigara_code_opt = selection_mode::table;
  testing::write_cp932(dir.path() + "download_code.csv", "6\r\n7203\r\nabc\r\n\r\n99\r\n1301x\r\n");
  EXPECT_EQ(select(ctx).codes, (code_list_t{"1", "7203"}));
}

TEST(TableMode, MissingFileAndZeroCount) {
  temp_folder dir;
  recording_context ctx(dir.path());
  ctx.controls.meigara_code_opt = selection_mode::table;
  EXPECT_EQ(select(ctx).message, "ファイル　download_code.csv　がありません。");
  testing::write_cp932(dir.path() + "download_code.csv", "0\r\n");
  const selection s = select(ctx);
  EXPECT_EQ(s.flag, kTrue);
  EXPECT_EQ(s.message, "銘柄数が0です。");
}

TEST(ValidityCheck, KeepsOnlyListedCodesInOrder) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "3,x,y,z\r\n1301,t,東証1部,a\r\n1332,t,東証1部,b\r\n7203,t,東証1部,c\r\n");
  recording_context ctx(dir.path());
  code_list_t codes{"4", "1301", "1302", "7203", "9999"};
  effective_code_sub(ctx, codes);
  EXPECT_EQ(codes, (code_list_t{"2", "1301", "7203"}));
  EXPECT_EQ(ctx.label1_texts(), std::vector<std::string>{"銘柄コードのチェック処理"});
  EXPECT_EQ(ctx.label1(), "");
}

TEST(ValidityCheck, ListCodesThatAreNotPlainDigitsNeverBecomeTargets) {
  temp_folder dir;
  testing::write_cp932(
      dir.path() + "meigara_list.csv",
      "5,x,y,z\r\n1301x,t,東証1部,a\r\n 1332 ,t,東証1部,b\r\n"
      "1333/../../etc,t,東証1部,c\r\n7203,t,東証1部,d\r\n9984&q=1,t,東証1部,e\r\n");
  recording_context ctx(dir.path());
  code_list_t codes{"5", "1301", "1332", "1333", "7203", "9984"};
  effective_code_sub(ctx, codes);
  EXPECT_EQ(codes, (code_list_t{"2", "1332", "7203"}));
}

TEST(TableMode, ATableThatIsThereButCannotBeReadIsNotMissing) {
  temp_folder dir;
  recording_context ctx(dir.path());
  ctx.controls.meigara_code_opt = selection_mode::table;
  std::filesystem::create_directory(dir.path() + "download_code.csv");
  const selection s = select(ctx);
  EXPECT_EQ(s.flag, kTrue);
  EXPECT_EQ(
      s.message,
      "ファイル　download_code.csv　を読めません: ファイルの場所にフォルダがあります（EISDIR）");
}

TEST(ValidityCheck, WithoutAStockListTheCodesStay) {
  temp_folder dir;
  recording_context ctx(dir.path());
  code_list_t codes{"2", "1301", "1302"};
  effective_code_sub(ctx, codes);
  EXPECT_EQ(codes, (code_list_t{"2", "1301", "1302"}));
}

TEST(CodeBoxes, RedOutsideTheRange) {
  EXPECT_TRUE(code_box_is_invalid("999"));
  EXPECT_TRUE(code_box_is_invalid("10000"));
  EXPECT_TRUE(code_box_is_invalid("abc"));
  EXPECT_FALSE(code_box_is_invalid("1000"));
  EXPECT_FALSE(code_box_is_invalid("9999"));
}

}  // namespace
}  // namespace karigane
