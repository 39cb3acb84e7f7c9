// Index data from the index chart page: the image map's areas, one per day, each carrying
// "date|v1|v2|v3|v4|volume|..." in its argument; row 0 a header ("1001", "", "日経平均", first
// date, last date, row count). The latest-day collection takes the index volume from its last
// row when that day is the latest trade date.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "core/table_file.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

using index_table_t = table_t<7>;

// Loads the index chart page and parses it: failed with the retrieval's failure text, stopped
// with "指処理を中断しました。" when the stop flag is set on entry.
status fetch_index_chart(run_context& ctx, const quote_site_settings& site, index_table_t& table);

// The index chart page of one run, loaded by the first call that needs it (the latest-day pass
// for the index volume, or the market's days) and never again, whether or not it came.
class index_chart_of_run {
 public:
  // The page's outcome (fetch_index_chart's). `announce` shows its status texts as the
  // latest-day pass does; the market's days are read without them.
  status read(run_context& ctx, const quote_site_settings& site, bool announce);
  const index_table_t& table() const { return table_; }
  // The market's days as the page lists them; none when the page could not be had.
  std::vector<date> days(run_context& ctx, const quote_site_settings& site);

 private:
  std::optional<status> outcome_;
  index_table_t table_ = index_table_t(1);
};

// Fills rows 1..m (one per area, in page order) and the header; a page without "<MAP" leaves
// the table as it is.
void read_shihyou_data_sub(run_context& ctx, const std::string& page, index_table_t& table);

}  // namespace karigane
