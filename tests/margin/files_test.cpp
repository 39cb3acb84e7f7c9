// Margin files on a temporary database: the merge, new files, per-year files, damaged files
// and names with commas, checked as CP932 bytes on disk.
#include <gtest/gtest.h>

#include "core/cp932.h"
#include "run/settings.h"
#include "core/dates.h"
#include "core/file_store.h"
#include "margin/margin_files.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::cp932_file;
using testing::file_bytes;
using testing::temp_folder;
using testing::write_cp932;

struct database {
  temp_folder dir;
  program_layout layout = default_settings(dir.path()).layout;
  database() {
    ensure_folder(layout.margin_folder());  // the collection's part
  }
  std::string main_file(const std::string& code = "1301") const { return layout.margin_file(code); }
  status merge(credit_tbl_t& t) const { return merge_into_dated_file(main_file(), t, kMarginFile); }
  yearly_copies yearly(credit_tbl_t& work) const {
    return write_yearly_copies(main_file(), work, kMarginFile, [&](const std::string& year) {
      return layout.yearly_margin_file(year, "1301");
    });
  }
};

// A collected table: rows newest first.
credit_tbl_t collected(const std::string& name, const std::vector<credit_row>& rows) {
  credit_tbl_t t{credit_row{"1301", "東証1部", name, std::to_string(rows.size())}};
  t.insert(t.end(), rows.begin(), rows.end());
  return t;
}

TEST(MarginFiles, CollectedRowsReplaceEqualDatesAndJoinInDateOrder) {
  database db;
  write_cp932(db.main_file(), "1301,東証1部,(株)極洋,2\r\n20121221,100,200,2.00\r\n20121228,110,210,1.91\r\n");
  credit_tbl_t t = collected("(株)極洋", {{"20130104", "130", "230", "1.77"}, {"20121228", "120", "220", "1.83"}});
  EXPECT_TRUE(db.merge(t).is_ok());
  EXPECT_EQ(file_bytes(db.main_file()),
            utf8_to_cp932("1301,東証1部,(株)極洋,3\r\n20121221,100,200,2.00\r\n20121228,120,220,1.83\r\n"
                          "20130104,130,230,1.77\r\n"));
}

TEST(MarginFiles, AnOlderRowBecomesTheFirstLineAndTheStoredHeaderStays) {
  database db;
  write_cp932(db.main_file(), "1301,,極洋旧社名,2\r\n20121221,100,200,2.00\r\n20121228,110,210,1.91\r\n");
  credit_tbl_t t = collected("(株)極洋", {{"20121214", "90", "190", "2.11"}});
  EXPECT_TRUE(db.merge(t).is_ok());
  EXPECT_EQ(cp932_file(db.main_file()),
            "1301,,極洋旧社名,3\r\n20121214,90,190,2.11\r\n20121221,100,200,2.00\r\n20121228,110,210,1.91\r\n");
}

TEST(MarginFiles, AFirstCollectionWritesTheCollectedHeaderAndRowsOldestFirst) {
  database db;
  credit_tbl_t t = collected("(株)極洋", {{"20130111", "130", "230", "1.77"}, {"20130104", "120", "220", "1.83"}});
  EXPECT_TRUE(db.merge(t).is_ok());
  EXPECT_EQ(cp932_file(db.main_file()),
            "1301,東証1部,(株)極洋,2\r\n20130104,120,220,1.83\r\n20130111,130,230,1.77\r\n");
}

TEST(MarginFiles, ACommaInANameCannotShiftTheHeaderFields) {
  database db;
  credit_tbl_t t = collected("A,B", {{"20130104", "120", "220", "1.83"}});
  EXPECT_TRUE(db.merge(t).is_ok());
  EXPECT_EQ(cp932_file(db.main_file()), "1301,東証1部,A，B,1\r\n20130104,120,220,1.83\r\n");
  credit_tbl_t read;
  EXPECT_EQ(read_dated_file(db.main_file(), read, kMarginFile, false), status::ok);
  EXPECT_EQ(read[0][kCreditCount], "1");
}

TEST(MarginFiles, ADamagedFileIsLeftUntouched) {
  database db;
  const std::string damaged = "1301,東証1部,(株)極洋,3\r\n20121221,100,200,2.00\r\n20121228,110,210,1.91\r\n";
  write_cp932(db.main_file(), damaged);
  const std::string before = file_bytes(db.main_file());
  credit_tbl_t t = collected("(株)極洋", {{"20130104", "130", "230", "1.77"}});
  EXPECT_EQ(db.merge(t), status::damaged);
  EXPECT_EQ(file_bytes(db.main_file()), before);
  // Nor are per-year files written from what could be read of it.
  credit_tbl_t work;
  EXPECT_EQ(db.yearly(work).main_read, status::damaged);
  EXPECT_EQ(file_bytes(db.layout.database + "2012/data_c/1301.csv"), "");
}

TEST(MarginFiles, PerYearFilesHoldTheirYearsRowsAndCounts) {
  database db;
  db.layout.margin_name = "credit";
  write_cp932(db.main_file(), "1301,東証1部,(株)極洋,3\r\n20121221,100,200,2.00\r\n20121228,110,210,1.91\r\n"
                              "20130104,130,230,1.77\r\n");
  credit_tbl_t work;
  const yearly_copies copies = db.yearly(work);
  EXPECT_EQ(copies.main_read, status::ok);
  EXPECT_EQ(copies.unwritten, "");
  EXPECT_EQ(cp932_file(db.layout.database + "2012/credit/1301.csv"),
            "1301,東証1部,(株)極洋,2\r\n20121221,100,200,2.00\r\n20121228,110,210,1.91\r\n");
  EXPECT_EQ(cp932_file(db.layout.database + "2013/credit/1301.csv"),
            "1301,東証1部,(株)極洋,1\r\n20130104,130,230,1.77\r\n");
}

TEST(MarginFiles, MoreThanFiveThousandRowsAreAllKept) {
  database db;
  credit_tbl_t t{credit_row{"1301", "東証1部", "(株)極洋", "6000"}};
  date d{2013, 1, 4};
  for (int i = 0; i < 6000; ++i, d = add_days(d, -7)) t.push_back({yyyymmdd(d), "100", "200", "2.00"});
  EXPECT_TRUE(db.merge(t).is_ok());
  credit_tbl_t newer = collected("(株)極洋", {{"20130111", "130", "230", "1.77"}});
  EXPECT_TRUE(db.merge(newer).is_ok());
  credit_tbl_t read;
  ASSERT_EQ(read_dated_file(db.main_file(), read, kMarginFile, true), status::ok);
  EXPECT_EQ(read[0][kCreditCount], "6001");
  ASSERT_EQ(read.size(), 6002u);
  EXPECT_EQ(read[1][0], "20130111");
  EXPECT_EQ(read[6001][0], yyyymmdd(add_days(date{2013, 1, 4}, -7 * 5999)));
}

}  // namespace
}  // namespace karigane
