// The file layer: every call that fails reports its errno, only ENOENT is "missing", and a
// replacement that fails at any step leaves the old file and no temporary file.
#include "core/file_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/table_file.h"
#include "support/file_fault.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::file_bytes;
using testing::injected_file_fault;
using testing::temp_folder;

std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct fault_case {
  file_call call;
  int error;
};

TEST(FileStore, EachFailingCallReportsItsErrnoAndLeavesTheStoredFileAsItWas) {
  const std::vector<fault_case> cases = {
      {file_call::open_read, EACCES},  {file_call::open_read, ENOENT}, {file_call::read, EIO},
      {file_call::read, EISDIR},       {file_call::create, EROFS},     {file_call::write, ENOSPC},
      {file_call::sync, EIO},          {file_call::rename, EROFS},     {file_call::list, EACCES},
      {file_call::make_folder, EROFS}, {file_call::remove, EPERM},     {file_call::append, EACCES},
  };
  for (const fault_case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.call)) + " " + strerrorname_np(c.error));
    temp_folder dir;
    const std::string path = dir.path() + "data/1301.csv";
    ASSERT_TRUE(ensure_folder(dir.path() + "data"));
    ASSERT_TRUE(write_file_atomic(path, "old"));

    file_status status;
    {
      injected_file_fault fault(c.call, dir.path() + "data", c.error);
      std::string bytes = "left over";
      switch (c.call) {
        case file_call::open_read:
        case file_call::read: {
          status = read_file_bytes(path, bytes);
          EXPECT_EQ(bytes, "");
          std::string tail = "left over";
          EXPECT_EQ(read_file_tail(path, 2, tail).error(), c.error);
          EXPECT_EQ(tail, "");
          break;
        }
        case file_call::create:
        case file_call::write:
        case file_call::sync:
        case file_call::rename:
          status = write_file_atomic(path, "new");
          break;
        case file_call::list:
          EXPECT_EQ(list_files(dir.path() + "data", &status), std::vector<std::string>{});
          break;
        case file_call::make_folder:
          status = ensure_folder(dir.path() + "data/2013");
          break;
        case file_call::remove:
          status = remove_file(path);
          break;
        case file_call::append:
          status = append_to_file(path, "new");
          break;
      }
      const bool reads = c.call == file_call::open_read || c.call == file_call::read;
      EXPECT_EQ(fault.hits(), reads ? 2u : 1u);
    }
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.error(), c.error);
    EXPECT_EQ(status.missing(), c.error == ENOENT);
    EXPECT_EQ(folder_entries(dir.path() + "data"), std::vector<std::string>{"1301.csv"});
    EXPECT_EQ(file_bytes(path), "old");
  }
}

TEST(FileStore, OnlyNoSuchFileIsMissing) {
  temp_folder dir;
  std::string bytes;
  EXPECT_TRUE(read_file_bytes(dir.path() + "none.csv", bytes).missing());
  EXPECT_TRUE(read_file_tail(dir.path() + "none.csv", 8, bytes).missing());
  testing::write_bytes(dir.path() + "1302.csv", "header\r\n20130104,1\r\n");
  ASSERT_TRUE(read_file_tail(dir.path() + "1302.csv", 12, bytes));
  EXPECT_EQ(bytes, "20130104,1\r\n");
  ASSERT_TRUE(read_file_tail(dir.path() + "1302.csv", 100, bytes));
  EXPECT_EQ(bytes, "header\r\n20130104,1\r\n");

  // A folder in a file's place can be opened but not read, and not replaced.
  ASSERT_TRUE(ensure_folder(dir.path() + "1301.csv"));
  file_status read = read_file_bytes(dir.path() + "1301.csv", bytes);
  EXPECT_EQ(read.error(), EISDIR);
  EXPECT_FALSE(read.missing());
  EXPECT_EQ(read_file_tail(dir.path() + "1301.csv", 8, bytes).error(), EISDIR);
  EXPECT_EQ(write_file_atomic(dir.path() + "1301.csv", "x").error(), EISDIR);
  EXPECT_EQ(folder_entries(dir.path()), (std::vector<std::string>{"1301.csv", "1302.csv"}));

  table_t<3> table(1, {"kept", "", ""});
  const status r = read_table_file(dir.path() + "1301.csv", table, 3, 2, false);
  EXPECT_EQ(r, status::io_error);
  EXPECT_EQ(r.error(), EISDIR);
  EXPECT_EQ(table[0][0], "kept");
  EXPECT_EQ(read_table_file(dir.path() + "none.csv", table, 3, 2, false), status::missing);

  // A file in a folder's place.
  testing::write_bytes(dir.path() + "data", "x");
  file_status listed;
  list_files(dir.path() + "data/", &listed);
  EXPECT_EQ(listed.error(), ENOTDIR);
  list_files(dir.path() + "none/", &listed);
  EXPECT_TRUE(listed.missing());
  EXPECT_FALSE(ensure_folder(dir.path() + "data/2013"));
  EXPECT_FALSE(ensure_folder(dir.path() + "data"));
}

}  // namespace
}  // namespace karigane
