// The three statement kinds "単独決算", "連結決算" and "中間決算", in the order a run fetches and
// summarises them, and the folder of each (a setting).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "kinds/program_layout.h"

namespace karigane {

inline constexpr const char* kKindIndependent = "単独決算";
inline constexpr const char* kKindConsolidated = "連結決算";
inline constexpr const char* kKindInterim = "中間決算";

inline constexpr std::array<const char*, 3> kStatementKinds{kKindIndependent, kKindConsolidated,
                                                            kKindInterim};

// The kind's folder name from the layout ("" for an unknown kind).
std::string statement_folder_name(const program_layout& layout, std::string_view kind);

// The fields (1-based) a kind leaves empty in every period: 10, 11, 13, 18 of "連結決算"; 9,
// 10, 11, 13, 18, 21, 22, 23 of "中間決算"; none of "単独決算" (or an unknown kind).
std::span<const std::size_t> statement_empty_fields(std::string_view kind);

}  // namespace karigane
