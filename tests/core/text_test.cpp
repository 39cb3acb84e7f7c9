// Text helpers on Japanese text: positions are characters, not bytes.
#include "core/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "support/temp_folder.h"

namespace karigane {
namespace {

TEST(TextSearch, PositionsCountCharactersInJapaneseText) {
  const u32 page = to_u32("<TD>2013年3月期</TD><TD>（東証1部）</TD>");
  EXPECT_EQ(instr(page, U"年"), 9u);
  EXPECT_EQ(instr(page, U"（"), 22u);
  EXPECT_EQ(instr(page, U"<TD>", 2), 18u);
  EXPECT_EQ(instr(page, U"missing"), 0u);
  EXPECT_EQ(instr(page, U"<TD>", 1000), 0u);
  // The fiscal period's month starts at character 6, whatever its bytes.
  EXPECT_EQ(mid(std::string("2013年3月期"), 6, 1), "3");
  EXPECT_EQ(instr(std::string("2013年12月期"), "月"), 8u);
  EXPECT_EQ(left(std::string("東証1部"), 2), "東証");
  EXPECT_EQ(right(std::string("東証1部"), 2), "1部");
  EXPECT_EQ(mid(std::string("abc"), 4), "");
}

TEST(TextSearch, BackwardSearchFindsTheLastStartAtOrBefore) {
  const u32 t = U"<TR>a</TR><TR>b</TR></TBODY>";
  const std::size_t body = instr(t, U"</TBODY");
  EXPECT_EQ(instr_rev(t, U"</TR", body), 16u);
  EXPECT_EQ(instr_rev(t, U"<TR", 15), 11u);
  EXPECT_EQ(instr_rev(t, U"<TR", 10), 1u);
  EXPECT_EQ(instr_rev(t, U"<X"), 0u);
}

TEST(TextVal, LeadingNumericPart) {
  EXPECT_EQ(val("  7203x"), 7203);
  EXPECT_EQ(val("12.5円"), 12.5);
  EXPECT_EQ(val("-3"), -3);
  EXPECT_EQ(val("abc"), 0);
  EXPECT_EQ(val(""), 0);
  EXPECT_EQ(val("1 2 3"), 123);
  EXPECT_EQ(val("1e3"), 1000);
  EXPECT_EQ(val("---"), 0);
  EXPECT_EQ(val(U"０１"), 0);  // full-width digits are not numbers
}

// A German locale for the test: the system's, or one compiled into a temporary folder.
bool use_decimal_comma_locale(const testing::temp_folder& dir) {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) return true;
  const std::string command = "localedef -i de_DE -f UTF-8 " + dir.path() + "de_DE.UTF-8 2>/dev/null";
  if (std::system(command.c_str()) != 0) return false;
  ::setenv("LOCPATH", dir.path().c_str(), 1);
  const bool ok = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  ::unsetenv("LOCPATH");
  return ok;
}

TEST(TextVal, ADecimalCommaLocaleDoesNotChangeNumbers) {
  testing::temp_folder dir;
  if (!use_decimal_comma_locale(dir)) GTEST_SKIP() << "no German locale can be made here";
  ASSERT_EQ(std::strtod("12.5", nullptr), 12.0);  // the locale really reads a decimal comma
  EXPECT_EQ(val("12.5"), 12.5);
  EXPECT_EQ(val("-1234.5"), -1234.5);
  EXPECT_EQ(int_value("2.5"), 2);
  std::setlocale(LC_NUMERIC, "C");
}

TEST(TextVal, IntegerValueRoundsHalfToEven) {
  EXPECT_EQ(int_value("2.5"), 2);
  EXPECT_EQ(int_value("3.5"), 4);
  EXPECT_EQ(int_value("-2.5"), -2);
  EXPECT_EQ(int_value("15000"), 15000);
  EXPECT_EQ(int_value("x"), 0);
}

TEST(TextEdit, TrimReplaceRemoveAndPadding) {
  EXPECT_EQ(trim("  東証1部 \r\n"), "東証1部");
  EXPECT_EQ(trim(U"\t a \n"), U"a");
  EXPECT_EQ(replace_first("A&amp;B&amp;C", "amp;", ""), "A&B&amp;C");
  EXPECT_EQ(remove_all("1,234,500", ","), "1234500");
  EXPECT_EQ(zero_pad_below_10("5"), "05");
  EXPECT_EQ(zero_pad_below_10("10"), "10");
  EXPECT_EQ(zero_pad_one_char("9"), "09");
  EXPECT_EQ(zero_pad_one_char("15"), "15");
}

TEST(TextUtf, InvalidBytesBecomeReplacementCharacters) {
  const u32 t = to_u32(std::string("a\xff\xe6\x97" "b"));
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], U'a');
  EXPECT_EQ(t[1], 0xFFFDu);
  EXPECT_EQ(t[3], U'b');
  EXPECT_EQ(to_utf8(to_u32("株価𠮷")), "株価𠮷");
}

}  // namespace
}  // namespace karigane
