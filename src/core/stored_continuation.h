// "保存データの続きから" (collect --since-stored): where a collection takes up a stock's stored
// data. The period of an ordinary collection is shortened to start on the day after the newest
// stored row (or stays whole when nothing is stored, or the stored rows end before it); a stock
// whose stored data are current asks for nothing. The drivers cut the shortened period into
// their usual windows, so the pages, merges and files are those of an ordinary collection of
// it. The newest stored row of a data file is read here as well.
#pragma once

#include <optional>
#include <string>

#include "core/dates.h"
#include "core/table_file.h"

namespace karigane {

struct collection_period {
  date start;
  date end;
  friend bool operator==(const collection_period&, const collection_period&) = default;
};

// Daily rows (time series). The end is the period's, but never a day whose prices are not
// final yet (today before kFinalHour: the rows of an unfinished day would stay as they were,
// since the next run starts after them). Nothing when the shortened period holds no trading
// day by the rule of trading_days.h (a weekend, the year-end closure).
std::optional<collection_period> daily_continuation(const collection_period& period,
                                                    const std::optional<date>& newest,
                                                    const local_time& now);

// Weekly rows (margin balances), dated on a week's last trading day and shown only once that
// week is over. The next row belongs to the week after the newest row's: nothing when the
// period ends before that week's Monday, or while that week has not ended (its Friday is today
// or later).
std::optional<collection_period> weekly_continuation(const collection_period& period,
                                                     const std::optional<date>& newest,
                                                     const date& today);

// The date of the newest row of a stored data file whose rows are oldest first and begin with
// their date: `newest` stays empty for a missing file and one without rows. The whole file is
// checked as a merge would read it, so that a damaged or unreadable file is told as such
// before any page is asked for; a newest row whose date is not a date counts as damaged.
status newest_stored_row(const std::string& path, std::size_t width,
                              std::size_t count_field, std::optional<date>& newest);

}  // namespace karigane
