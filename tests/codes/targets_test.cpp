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

using codes = std::vector<std::string>;

target_selection select(recording_context& ctx, const code_selection& selection) {
  return select_targets(ctx, ctx.layout(), selection);
}

target_selection individual(const std::string& text) {
  recording_context ctx;
  return select(ctx, {selection_mode::single, text, "9999"});
}

TEST(IndividualMode, LimitsOfTheCode) {
  EXPECT_EQ(individual("1000").codes, (codes{"1000"}));
  EXPECT_EQ(individual("  7203x").codes, (codes{"7203"}));
  EXPECT_EQ(individual("  7203x").shown.first, "7203");
  for (const char* bad : {"999", "10000", "abc", "", "1301.5"}) {
    const target_selection s = individual(bad);
    EXPECT_EQ(s.outcome, status::failed) << bad;
    EXPECT_EQ(s.outcome.message(), "銘柄コードＮＯをご確認ください。") << bad;
  }
}

TEST(RangeMode, BoxesAreSwappedAndCodesBetween1005And1300Skipped) {
  recording_context ctx;
  const target_selection s = select(ctx, {selection_mode::range, "9999", " 1301"});
  EXPECT_EQ(s.shown.first, "1301");
  EXPECT_EQ(s.shown.last, "9999");
  EXPECT_EQ(s.codes.size(), 8699u);

  const target_selection small = select(ctx, {selection_mode::range, "1000", "1400"});
  EXPECT_EQ(small.codes.size(), 104u);
  EXPECT_EQ((codes(small.codes.begin(), small.codes.begin() + 5)),
            (codes{"1001", "1002", "1003", "1004", "1301"}));
  EXPECT_EQ(small.codes.back(), "1400");

  EXPECT_EQ(select(ctx, {selection_mode::range, "1000", "x"}).outcome.message(),
            "銘柄コードＮＯをご確認ください。");
}

TEST(TableMode, SortedByValueKeepingDuplicates) {
  temp_folder dir;
  recording_context ctx(dir.path());
  const code_selection table{selection_mode::table, "1301", "9999"};
  testing::write_cp932(dir.path() + "download_code.csv", "3\r\n7203\r\n1301\r\n7203\r\n");
  EXPECT_EQ(select(ctx, table).codes, (codes{"1301", "7203", "7203"}));
  testing::write_cp932(dir.path() + "download_code.csv", "2,9984,\"1332\"\r\n");
  EXPECT_EQ(select(ctx, table).codes, (codes{"1332", "9984"}));
}

TEST(TableMode, FieldsThatAreNotCodesAreLeftOut) {
  temp_folder dir;
  recording_context ctx(dir.path());
  testing::write_cp932(dir.path() + "download_code.csv", "6\r\n7203\r\nabc\r\n\r\n99\r\n1301x\r\n");
  EXPECT_EQ(select(ctx, {selection_mode::table, "", ""}).codes, (codes{"7203"}));
}

TEST(TableMode, MissingFileAndZeroCount) {
  temp_folder dir;
  recording_context ctx(dir.path());
  const code_selection table{selection_mode::table, "", ""};
  EXPECT_EQ(select(ctx, table).outcome.message(), "ファイル　download_code.csv　がありません。");
  testing::write_cp932(dir.path() + "download_code.csv", "0\r\n");
  const target_selection s = select(ctx, table);
  EXPECT_EQ(s.outcome, status::failed);
  EXPECT_EQ(s.outcome.message(), "銘柄数が0です。");
}

TEST(ValidityCheck, KeepsOnlyListedCodesInOrder) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "3,x,y,z\r\n1301,t,東証1部,a\r\n1332,t,東証1部,b\r\n7203,t,東証1部,c\r\n");
  recording_context ctx(dir.path());
  EXPECT_EQ(listed_targets(ctx, ctx.layout(), {"1301", "1302", "7203", "9999"}),
            (codes{"1301", "7203"}));
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
  EXPECT_EQ(listed_targets(ctx, ctx.layout(), {"1301", "1332", "1333", "7203", "9984"}),
            (codes{"1332", "7203"}));
  // Each is counted in the tally.
  std::vector<std::string> lines;
  for (const run_failure& f : ctx.failures.list()) lines.push_back(failure_line(f));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "銘柄リスト meigara_list.csv: 銘柄コードではありません: 1301x",
                       "銘柄リスト meigara_list.csv: 銘柄コードではありません: 1333/../../etc",
                       "銘柄リスト meigara_list.csv: 銘柄コードではありません: 9984&q=1"}));
}

TEST(TableMode, ATableThatIsThereButCannotBeReadIsNotMissing) {
  temp_folder dir;
  recording_context ctx(dir.path());
  std::filesystem::create_directory(dir.path() + "download_code.csv");
  const target_selection s = select(ctx, {selection_mode::table, "", ""});
  EXPECT_EQ(s.outcome, status::failed);
  EXPECT_EQ(
      s.outcome.message(),
      "ファイル　download_code.csv　を読めません: ファイルの場所にフォルダがあります（EISDIR）");
}

TEST(ValidityCheck, WithoutAStockListTheCodesStay) {
  temp_folder dir;
  recording_context ctx(dir.path());
  EXPECT_EQ(listed_targets(ctx, ctx.layout(), {"1301", "1302"}), (codes{"1301", "1302"}));
}

// Codes with letters are codes in every mode, in code order ("130A" between 1309 and 1310): a
// range takes those of the stock list and its own ends; anything else with letters is no code.
TEST(CodesWithLetters, TakenInEveryModeInCodeOrder) {
  temp_folder dir;
  recording_context ctx(dir.path());
  testing::write_cp932(dir.path() + "meigara_list.csv",
                       "4,x,y,z\r\n1301,t,a,b\r\n130A,t,a,b\r\n2A46,t,a,b\r\n9A7A,t,a,b\r\n");
  testing::write_cp932(dir.path() + "download_code.csv", "4\r\n2A46\r\n1310\r\n130A\r\n72O3\r\n");
  struct selection_case {
    code_selection asked;
    codes expected;  // empty: refused
    std::string shown_first;
  };
  const std::vector<selection_case> cases{
      {{selection_mode::single, " 130A ", ""}, {"130A"}, "130A"},
      {{selection_mode::single, "130a", ""}, {}, "130"},
      {{selection_mode::single, "72O3", ""}, {}, "72"},
      {{selection_mode::single, "0A12", ""}, {}, "0A12"},
      {{selection_mode::range, "1310", "1308"}, {"1308", "1309", "130A", "1310"}, "1308"},
      {{selection_mode::range, "130A", "1302"},
       {"1302", "1303", "1304", "1305", "1306", "1307", "1308", "1309", "130A"},
       "1302"},
      {{selection_mode::range, "9998", "9A4A"}, {"9998", "9999", "9A4A"}, "9998"},
      {{selection_mode::table, "", ""}, {"130A", "1310", "2A46"}, ""},
  };
  for (const selection_case& c : cases) {
    SCOPED_TRACE(c.asked.first + " " + c.asked.last);
    const target_selection s = select(ctx, c.asked);
    EXPECT_EQ(s.codes, c.expected);
    EXPECT_EQ(s.outcome.is_ok(), !c.expected.empty());
    EXPECT_EQ(s.shown.first, c.shown_first);
  }
  // The table's field that is no code is counted.
  ASSERT_EQ(ctx.failures.count(), 1u);
  EXPECT_EQ(failure_line(ctx.failures.list()[0]),
            "download_code.csv: 銘柄コードではありません: 72O3");
  EXPECT_FALSE(code_box_is_invalid("9A7A"));
  EXPECT_TRUE(code_box_is_invalid("72O3"));
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
