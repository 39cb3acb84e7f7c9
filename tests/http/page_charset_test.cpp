// Finding and applying the charset a page declares.
#include "http/page_charset.h"

#include <gtest/gtest.h>

#include "core/cp932.h"

namespace karigane {
namespace {

TEST(PageCharset, ReadsTheHeaderParameter) {
  EXPECT_EQ(content_type_charset("text/html; charset=EUC-JP"), "euc-jp");
  EXPECT_EQ(content_type_charset("text/html;Charset=\"Shift_JIS\""), "shift_jis");
  EXPECT_EQ(content_type_charset("text/html"), "");
}

TEST(PageCharset, ReadsEitherFormOfMetaDeclaration) {
  EXPECT_EQ(meta_charset("<html><head><META CHARSET='euc-jp'></head>"), "euc-jp");
  EXPECT_EQ(meta_charset("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">"), "x-sjis");
  EXPECT_EQ(meta_charset("<meta name=\"viewport\" content=\"width=device-width\"><p>charset=euc-jp</p>"), "");
  EXPECT_EQ(meta_charset("<meta charset=\"utf-8"), "utf-8");  // cut off mid-tag
}

TEST(PageCharset, DecodesByHeaderBeforeMetaAndAsUtf8WithoutDeclaration) {
  const std::string sjis = utf8_to_cp932("<meta charset=\"euc-jp\"><h1>極洋</h1>");
  // The header says Shift_JIS; the meta tag's claim is overruled.
  EXPECT_NE(decode_page(sjis, "text/html; charset=Shift_JIS").find("極洋"), std::string::npos);
  EXPECT_EQ(decode_page("<p>極洋</p>", "text/html"), "<p>極洋</p>");
  // Undeclared bytes that are not UTF-8 become replacement characters, not broken text.
  EXPECT_TRUE(is_valid_utf8(decode_page(utf8_to_cp932("極洋"), "")));
}

}  // namespace
}  // namespace karigane
