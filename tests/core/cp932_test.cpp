// The CP932 codec, the stock-name clean-up and page charsets.
#include "core/cp932.h"

#include <gtest/gtest.h>

namespace karigane {
namespace {

TEST(Cp932, RoundTripOfJapaneseText) {
  const std::string text = "1301,東証1部,(株)極洋,ｶﾌﾞ,～,－,‐,①";
  const std::string bytes = utf8_to_cp932(text);
  EXPECT_EQ(bytes.substr(0, 5), "1301,");
  EXPECT_EQ(bytes.substr(5, 2), "\x93\x8C");  // 東
  EXPECT_EQ(cp932_to_utf8(bytes), text);
  // "～" is 0x8160 in CP932, "－" 0x817C.
  EXPECT_EQ(utf8_to_cp932("～－"), "\x81\x60\x81\x7C");
}

TEST(Cp932, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(cp932_roundtrip("髙島屋"), "髙島屋");  // an IBM extension that CP932 has
  EXPECT_EQ(cp932_roundtrip("𠮷野家"), "?野家");
  EXPECT_EQ(cp932_roundtrip("Caf\u00e9"), "Caf?");
  EXPECT_FALSE(representable_in_cp932("Caf\u00e9"));
  EXPECT_TRUE(representable_in_cp932("日本水産(株)"));
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacters) {
  EXPECT_EQ(cp932_to_utf8("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(cp932_to_utf8("\xFF" "b"), "\xEF\xBF\xBD" "b");
}

TEST(StockName, CleanUpRemovesFirstEntityAndMarksFirstUnknownCharacter) {
  EXPECT_EQ(clean_stock_name("A&amp;B&amp;C"), "A&B&amp;C");
  EXPECT_EQ(clean_stock_name("𠮷𠮷屋"), "－?屋");
  EXPECT_EQ(clean_stock_name("(株)極洋"), "(株)極洋");
  // A literal "?" in the name is marked too: the rule looks only at the result.
  EXPECT_EQ(clean_stock_name("Why?"), "Why－");
}

TEST(Charsets, PagesDecodeByTheirDeclaredCharset) {
  EXPECT_EQ(decode_charset("\x93\xFA\x96\x7B", "Shift_JIS"), "日本");
  EXPECT_EQ(decode_charset("\x93\xFA\x96\x7B", "windows-31j"), "日本");
  EXPECT_EQ(decode_charset("\xC6\xFC\xCB\xDC", "EUC-JP"), "日本");
  EXPECT_EQ(decode_charset("日本", "utf-8"), "日本");
  EXPECT_EQ(decode_charset("日本", ""), "日本");
}

TEST(Charsets, UserFilesMayBeUtf8OrCp932) {
  EXPECT_EQ(decode_user_text("\xEF\xBB\xBF" "株価"), "株価");
  EXPECT_EQ(decode_user_text(utf8_to_cp932("信用売買残フォルダ名,credit")),
            "信用売買残フォルダ名,credit");
  EXPECT_FALSE(is_valid_utf8("\xC0\x80"));
  EXPECT_TRUE(is_valid_utf8("株"));
}

}  // namespace
}  // namespace karigane
