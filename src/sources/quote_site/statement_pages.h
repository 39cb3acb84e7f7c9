// The company-profile page of each statement kind: its page path and the shape of its table
// (item rows, cells per row, the field every row goes to, the conversion of every row's cells
// and the fields the kind leaves empty).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace karigane {

// How the cells of a row are normalised before they are stored.
enum class cell_conversion {
  fiscal_period,
  announcement_date,
  months,
  amount,
  share_count,
  percent,
  as_shown
};

struct statement_row {
  std::size_t field;  // 1-based field of the period record
  cell_conversion conversion;
};

struct statement_shape {
  std::string_view kind;
  std::string_view page_path;  // "independent", "consolidate", "interim"
  std::size_t cells_per_row;   // the label cell and the period cells
  std::size_t period_records;  // cells_per_row - 1
  std::span<const statement_row> rows;
  std::span<const std::size_t> empty_fields;  // 1-based
};

// The shape of a kind; nullptr for any other text.
const statement_shape* statement_shape_of(std::string_view kind);

}  // namespace karigane
