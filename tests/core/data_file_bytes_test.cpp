// Data files read as bytes: the same rules as the full reader.
#include "core/data_file_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace karigane {
namespace {

layout_scan scan(std::string_view bytes, data_file_layout* out = nullptr) {
  data_file_layout layout;
  const layout_scan r = scan_data_file(bytes, 3, 2, layout);
  if (out) *out = layout;
  return r;
}

TEST(DataFileBytes, HeaderBodyAndLastRow) {
  data_file_layout l;
  ASSERT_EQ(scan("1301,\x8B\xC9,2\r\n20130104,1,100\r\n20130926,1,2\r\n\r\n", &l), layout_scan::ok);
  EXPECT_EQ(l.count, 2u);
  EXPECT_EQ(l.header[1], "\x8B\xC9");
  EXPECT_EQ(l.body, "20130104,1,100\r\n20130926,1,2\r\n");
  EXPECT_EQ(l.last_row, "20130926,1,2");
  EXPECT_EQ(first_field(l.last_row), "20130926");
  ASSERT_EQ(scan("1301,x, 0 \r\n", &l), layout_scan::ok);
  EXPECT_EQ(l.count, 0u);
  EXPECT_TRUE(l.body.empty());
}

TEST(DataFileBytes, DamagedFilesAreRecognised) {
  EXPECT_EQ(scan(""), layout_scan::damaged);
  EXPECT_EQ(scan("1301,x,2\r\n20130104,1,100\r\n"), layout_scan::damaged);      // a row short
  EXPECT_EQ(scan("1301,x,1\r\n20130104,1\r\n"), layout_scan::damaged);          // a field short
  EXPECT_EQ(scan("1301,x,y,1\r\n20130104,1,1\r\n"), layout_scan::damaged);      // header too wide
  EXPECT_EQ(scan("1301,x,1\r\n20130104,1,1\r\n20130105,1,1\r\n"), layout_scan::damaged);
  EXPECT_EQ(scan("1301,x,-1\r\n"), layout_scan::damaged);
  EXPECT_EQ(scan("1301,\"x\",0\r\n"), layout_scan::quoted);
}

TEST(DataFileBytes, FieldsAreCountedExactlyOnLongLines) {
  // Commas at every offset of an eight-byte word, next to a "-" (one above a comma) and to
  // CP932 bytes whose low seven bits are those of a comma (0xAC) or of nothing (0x80).
  for (std::size_t lead = 0; lead < 17; ++lead) {
    const std::string row = std::string(lead, '\xAC') + ",-\x80," + std::string(lead, '9');
    EXPECT_EQ(scan("1301,x,1\r\n" + row + "\r\n"), layout_scan::ok) << lead;
    EXPECT_EQ(scan("1301,x,1\r\n" + row + ",\r\n"), layout_scan::damaged) << lead;
    EXPECT_EQ(scan("1301,x,1\r\n" + std::string(lead, 'a') + ",b\r\n"), layout_scan::damaged)
        << lead;
  }
}

}  // namespace
}  // namespace karigane
