// The record of the gaps that the update left in stored time series: a series whose newest row
// lay more than one trading day before the latest day gets that day all the same, which hides
// the days between from every later look at its newest row. The update notes such a series
// here before writing the day, and "update --catch-up" fills the noted days and drops the note.
//
// The file is the layout's gap record (kabuka/data_m_gaps.csv), CP932, CR LF: a
// header line "銘柄コード,保存最終日,最新日", then one line per series: its code, its newest
// stored row before the gap and the latest day the update wrote after it (yyyymmdd), by code.
// No file when no gap is noted.
#pragma once

#include <map>
#include <string>

#include "core/dates.h"
#include "core/file_store.h"
#include "core/status.h"
#include "kinds/program_layout.h"
#include "core/table_file.h"

namespace karigane {

struct noted_gap {
  date stored_through;  // the newest row before the gap
  date latest;          // the latest day written after it
  friend bool operator==(const noted_gap&, const noted_gap&) = default;
};

// By stock code, as the file names of the series have it.
using gap_record_t = std::map<std::string, noted_gap>;

// A missing file is an empty record; one that is there but cannot be read, or holds a line
// that is not a stock code and two dates, is unusable (`record` then stays empty).
status read_gap_record(const program_layout& layout, gap_record_t& record);

// Replaces the file; an empty record removes it.
file_status write_gap_record(const program_layout& layout, const gap_record_t& record);

// Notes a gap after `stored_through` up to `latest`; a series noted already keeps the older
// start and takes the later end.
void note_gap(gap_record_t& record, const std::string& code, const date& stored_through,
              const date& latest);

}  // namespace karigane
