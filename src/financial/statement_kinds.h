// The three statement kinds "単独決算", "連結決算" and "中間決算": the page path of each, its
// folder setting, and the shape of its page table (item rows, cells per row, the field every
// row goes to, the conversion of every row's cells and the fields the kind leaves empty).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "core/settei.h"

namespace karigane {

inline constexpr const char* kKindIndependent = "単独決算";
inline constexpr const char* kKindConsolidated = "連結決算";
inline constexpr const char* kKindInterim = "中間決算";

// The kinds in the order a run fetches and summarises them.
inline constexpr std::array<const char*, 3> kStatementKinds{kKindIndependent, kKindConsolidated,
                                                            kKindInterim};

// How the cells of a row are normalised before they are stored.
enum class cell_conversion { fiscal_period, announcement_date, months, amount, share_count,
                             percent, as_shown };

struct statement_row {
  std::size_t field;  // 1-based field of the period record
  cell_conversion conversion;
};

struct statement_shape {
  std::string_view kind;
  std::string_view page_path;   // "independent", "consolidate", "interim"
  std::size_t cells_per_row;    // the label cell and the period cells
  std::size_t period_records;   // cells_per_row - 1
  std::span<const statement_row> rows;
  std::span<const std::size_t> empty_fields;  // 1-based
};

// The shape of a kind; nullptr for any other text.
const statement_shape* statement_shape_of(std::string_view kind);

// The kind's folder name from the settings ("" for an unknown kind).
std::string statement_folder_name(const settei_record& settei, std::string_view kind);

// kabuka_path + folder name + "/".
std::string statement_folder(const settei_record& settei, std::string_view kind);

}  // namespace karigane
