// The rows of a price file (raw or split-adjusted) taken straight from its bytes, for files the
// reader would take as they are written (no quotes, ASCII without blanks): one pass over the
// bytes, no row tables. With what an earlier export recorded of the file (append_hint), a file
// whose earlier rows are still the same bytes has only its rows from the earlier newest day on
// built; every byte is still read and hashed, so a day corrected anywhere is seen.
#pragma once

#include <string_view>

#include "export/export_sources.h"

namespace karigane {

// False when the bytes are not for this way (a quote, a byte outside ASCII, a blank) or the
// file is damaged: the price file reader then decides.
bool price_rows_from_bytes(const export_source& source, std::string_view bytes,
                           const append_hint* hint, bool adjusted_file, export_rows& rows);

// The same rows as the CSV export's lines (export_rows::lines), for price files in strict date
// order; false for any other, and for adjusted files, whose adjusted volume the cells compute.
bool price_lines_from_bytes(const export_source& source, std::string_view bytes,
                            bool adjusted_file, export_rows& rows);

}  // namespace karigane
