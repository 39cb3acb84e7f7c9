// The field reader and the atomic CP932 writer.
#include "core/fields.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include <array>
#include <vector>

#include "core/file_store.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

std::vector<std::string> all_fields(std::string_view text) {
  field_reader r(text);
  std::vector<std::string> out;
  std::string f;
  while (r.next(f)) out.push_back(f);
  return out;
}

TEST(FieldReader, QuotesAndBlanks) {
  EXPECT_EQ(all_fields("  a , \"b, c\" ,d\r\ne\n\"f\"\r\n"),
            (std::vector<std::string>{"a", "b, c", "d", "e", "f"}));
  EXPECT_EQ(all_fields("\"  kept  \",x"), (std::vector<std::string>{"  kept  ", "x"}));
  EXPECT_EQ(all_fields("a,,b\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(all_fields("a,\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(all_fields(""), std::vector<std::string>{});
}

TEST(FieldReader, UnterminatedQuoteReadsToTheEnd) {
  EXPECT_EQ(all_fields("\"abc,def"), (std::vector<std::string>{"abc,def"}));
  EXPECT_EQ(all_fields("\"a\"junk,b"), (std::vector<std::string>{"a", "b"}));
}

TEST(FieldReader, LinesKeepTheirFields) {
  field_reader r("1301,東証1部,極洋\r\n20130104,1,2\r\n\r\nx");
  std::vector<std::string> line;
  ASSERT_TRUE(r.next_line(line));
  EXPECT_EQ(line, (std::vector<std::string>{"1301", "東証1部", "極洋"}));
  ASSERT_TRUE(r.next_line(line));
  EXPECT_EQ(line.size(), 3u);
  ASSERT_TRUE(r.next_line(line));
  EXPECT_EQ(line, std::vector<std::string>{""});
  ASSERT_TRUE(r.next_line(line));
  EXPECT_EQ(line, std::vector<std::string>{"x"});
  EXPECT_FALSE(r.next_line(line));
}

TEST(FieldReader, LinesReadIntoRowsMatchTheGeneralReader) {
  const std::string_view text =
      "1301,東証1部,極洋\r\n a ,\"b,c\",,d\nx,y\r\"q\"junk, z\ron,e,two,three,four\r\n,";
  field_reader general(text);
  field_reader into(text);
  std::vector<std::string> line;
  while (general.next_line(line)) {
    std::array<std::string, 3> row{"stale", "stale", "stale"};
    const std::size_t count = into.next_line_into(row.data(), row.size());
    ASSERT_EQ(count, line.size());
    for (std::size_t i = 0; i < std::min<std::size_t>(count, 3); ++i) EXPECT_EQ(row[i], line[i]);
  }
  std::string field;
  EXPECT_EQ(into.next_line_into(&field, 1), 0u);
}

TEST(CsvText, WritesCp932WithCrLfAndNeverShiftsFields) {
  csv_text t;
  t.add_row({"1301", "東証1部", "A,B"});
  t.add_row({"x", "line\nbreak"});
  EXPECT_EQ(t.utf8(), "1301,東証1部,A，B\r\nx,line break\r\n");
  EXPECT_EQ(t.cp932().substr(0, 5), "1301,");
}

TEST(AtomicWrite, ReplacesTheFileAndLeavesNoTemporaryBehind) {
  testing::temp_folder dir;
  const std::string path = dir.path() + "a.csv";
  ASSERT_TRUE(write_file_atomic(path, "old\r\n"));
  ASSERT_TRUE(write_file_atomic(path, "new\r\n"));
  EXPECT_EQ(testing::file_bytes(path), "new\r\n");
  std::string bytes;
  EXPECT_TRUE(read_file_bytes(path, bytes));
  EXPECT_FALSE(read_file_bytes(dir.path() + "missing.csv", bytes));
}

TEST(AtomicWrite, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
  // A file size limit makes the write fail part-way, as a full disk does (also for root).
  testing::temp_folder dir;
  const std::string path = dir.path() + "a.csv";
  ASSERT_TRUE(write_file_atomic(path, "old"));
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const file_status written = write_file_atomic(path, std::string(4096, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(testing::file_bytes(path), "old");
  EXPECT_EQ(list_files(dir.path()), std::vector<std::string>{"a.csv"});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(AtomicWrite, AMissingFolderIsAFailure) {
  testing::temp_folder dir;
  EXPECT_FALSE(write_file_atomic(dir.path() + "no/such/folder/a.csv", "x"));
}

}  // namespace
}  // namespace karigane
