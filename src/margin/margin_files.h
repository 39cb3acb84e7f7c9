// Margin files data_c/CODE.csv and their yearly copies YYYY/data_c/CODE.csv, as dated files
// (core/dated_file.h): a header of four fields (code, market name, stock name, row count), then
// one line per week, oldest first: date and the three balance texts.
#pragma once

#include "core/dated_file.h"
#include "margin/credit_table.h"

namespace karigane {

extern const dated_file_shape<4> kMarginFile;

}  // namespace karigane
