// Time-series price files and split lists, their shapes as dated files (core/dated_file.h):
//   prices  data_m/CODE.csv and the yearly copies YYYY/data_m/CODE.csv: a header of six fields
//           (code, market name, stock name, oldest date, newest date, row count), then one line
//           per trading day, oldest first: date, open, high, low, close, volume.
//   splits  data_mh/CODE.csv and YYYY/data_mh/CODE.csv: a header (code, stock name, split
//           count), then one line per split, oldest first: date, shares before, shares after.
#pragma once

#include "core/dated_file.h"
#include "timeseries/price_table.h"

namespace karigane {

extern const dated_file_shape<7> kPriceFile;
extern const dated_file_shape<3> kSplitFile;

}  // namespace karigane
