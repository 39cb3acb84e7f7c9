// Data files read as bytes: the same rules as the full reader.
#include "core/data_file_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/table_file.h"
#include "support/temp_folder.h"

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

TEST(DataFileBytes, JudgesEveryFileAsTheFullReaderDoes) {
  // Small files from pieces that move the line and field boundaries (every kind of line end,
  // blanks, empty lines, a missing last line end), with rows around the header's count and
  // beyond eight bytes, so that line ends fall at every offset of the scanner's words.
  const std::vector<std::string> pieces = {"1",  "22",   "3333333", ",",  ",", ",", "\r\n", "\r\n",
                                           "\r", "\n", " ",       "\t", "\xAC"};
  std::mt19937 random(14);
  testing::temp_folder dir;
  std::size_t ok = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string file = "1301,x," + std::to_string(random() % 4) + (random() % 2 ? "\r\n" : "\n");
    const std::size_t length = random() % 40;
    for (std::size_t i = 0; i < length; ++i) file += pieces[random() % pieces.size()];
    // Most files are rows of three fields, as the stored files are, long enough for line
    // ends to fall on every offset of the scanner's 64-byte chunks; their count is mostly right.
    if (round % 2 == 0) {
      const std::size_t rows = random() % 12;
      const std::size_t count = random() % 4 ? rows : rows + random() % 3 - 1;
      file = "1301,x," + std::to_string(count) + "\r\n";
      for (std::size_t r = rows; r > 0; --r) {
        file += std::string(random() % 12, '7') + "," + std::string(random() % 3, '8') + "," +
                pieces[random() % 3] + (random() % 5 ? "\r\n" : pieces[6 + random() % 4]);
      }
    }
    // A new file each time: truncating one makes the file system flush it on every round.
    const std::string path = dir.path() + std::to_string(round) + ".csv";
    testing::write_bytes(path, file);
    table_t<3> table;
    const status read = read_table_file(path, table, 3, 2, false);
    data_file_layout layout;
    const layout_scan scanned = scan_data_file(file, 3, 2, layout);
    ASSERT_EQ(scanned == layout_scan::ok, read == status::ok) << ::testing::PrintToString(file);
    if (scanned != layout_scan::ok) continue;
    ++ok;
    ASSERT_EQ(layout.count, table.size() - 1) << ::testing::PrintToString(file);
    if (layout.count > 0) {
      EXPECT_EQ(cp932_to_utf8(first_field(layout.last_row)), table.back()[0]) << ::testing::PrintToString(file);
    }
  }
  EXPECT_GT(ok, 300u) << ok;
}

}  // namespace
}  // namespace karigane
