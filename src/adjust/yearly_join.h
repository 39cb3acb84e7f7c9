// The yearly mode's joined series: one stock's yearly price files and yearly split lists of
// the kept years, oldest year first, joined into one price table and one split table.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"
#include "kinds/program_layout.h"
#include "timeseries/price_table.h"

namespace karigane {

struct joined_series {
  jikeiretu_data_t prices;
  bunkatu_list_t splits;
  // The yearly file that ended the join as damaged, and how it read.
  std::string unusable_path;
  status unusable;
};

enum class join_result {
  joined,   // at least one yearly price file was read
  nothing,  // no year holds a price file of that name
  damaged,  // a yearly file is there but cannot be read whole; the stock is left alone
};

// Joins the files named `file_name` of the given years. A year without a price file is passed
// over, and so are its splits; a year without a split list adds its prices only. The price
// header takes code, market and name from the newest year read, the dates from the first and
// last joined rows; the split header takes code and name from the newest split list read.
join_result join_yearly_files(const program_layout& layout, const std::vector<int>& years,
                              const std::string& file_name, joined_series& joined);

}  // namespace karigane
