// The years of the yearly mode: which folders count, and the newest consecutive run.
#include <gtest/gtest.h>

#include "adjust/year_list.h"
#include "run/settings.h"
#include "core/file_store.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::temp_folder;
using testing::write_bytes;

TEST(YearList, OnlyTheNewestRunOfConsecutiveYearsIsKept) {
  using v = std::vector<int>;
  EXPECT_EQ(last_consecutive_years(v{2005, 2007, 2008, 2009}), (v{2007, 2008, 2009}));
  EXPECT_EQ(last_consecutive_years(v{2007, 2008, 2010}), (v{2010}));
  EXPECT_EQ(last_consecutive_years(v{2011, 2013, 2014}), (v{2013, 2014}));
  EXPECT_EQ(last_consecutive_years(v{2012, 2013, 2014}), (v{2012, 2013, 2014}));
  EXPECT_EQ(last_consecutive_years(v{2013}), (v{2013}));
  EXPECT_EQ(last_consecutive_years(v{}), (v{}));
}

TEST(YearList, YearFoldersCountOnlyWhenTheirPriceFolderHoldsFiles) {
  temp_folder dir;
  const program_layout s = default_settings(dir.path()).layout;
  for (const char* year : {"2011", "2014", "2013", "old2013", "1900", "2100", "1901"}) {
    write_bytes(s.database + year + "/data_m/1301.csv", "x");
  }
  ensure_folder(s.database + "2012/data_m");             // no file in it
  write_bytes(s.database + "2010/data_c/1301.csv", "x");  // margin only
  write_bytes(s.database + "2009", "a file, not a folder");
  ensure_folder(s.database + "data_m");
  ensure_folder(s.database + "syusei_kabuka");
  EXPECT_EQ(yearly_price_years(s), (std::vector<int>{1901, 2011, 2013, 2014}));
}

}  // namespace
}  // namespace karigane
