// The update's gaps, settled before it writes the latest day into the stored series. That day
// would hide the days missing before it, so each gap is either filled first or noted:
//   - with the catch-up ("保存データの続きから", update --catch-up) the missing days of every gap,
//     found now or noted by an earlier update, are collected by the time-series step from the
//     source, from the day after the series' newest row (or noted row) to the latest day, with
//     yearly copies when the database keeps yearly price files;
//   - every gap left (not filled, or filled with a failure) is noted in the gap record
//     (latest/gap_record.h) and reported as a warning with the command that fills it.
// The record is written before the fill, so that a run cut short in it leaves every gap noted.
// A stop or a run-ending fault stays in the context for the update's endings; the record then
// holds the notes written before the fill.
#pragma once

#include "core/run_context.h"
#include "kinds/kind_sources.h"
#include "latest/data_d_table.h"
#include "run/settings.h"

namespace karigane {

void settle_series_gaps(run_context& ctx, const program_settings& settings,
                        kind_sources& sources, const data_d_table_t& table, bool catch_up);

}  // namespace karigane
