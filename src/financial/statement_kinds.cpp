// The statement kinds' folders: see statement_kinds.h.
#include "financial/statement_kinds.h"

namespace karigane {

std::string statement_folder_name(const program_layout& layout, std::string_view kind) {
  if (kind == kKindIndependent) return layout.independent_name;
  if (kind == kKindConsolidated) return layout.consolidated_name;
  if (kind == kKindInterim) return layout.interim_name;
  return {};
}

std::span<const std::size_t> statement_empty_fields(std::string_view kind) {
  static constexpr std::array<std::size_t, 4> kConsolidated{10, 11, 13, 18};
  static constexpr std::array<std::size_t, 8> kInterim{9, 10, 11, 13, 18, 21, 22, 23};
  if (kind == kKindConsolidated) return kConsolidated;
  if (kind == kKindInterim) return kInterim;
  return {};
}

}  // namespace karigane
