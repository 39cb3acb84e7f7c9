// The statement kinds' folders: see statement_kinds.h.
#include "financial/statement_kinds.h"

namespace karigane {

std::string statement_folder_name(const program_layout& layout, std::string_view kind) {
  if (kind == kKindIndependent) return layout.independent_name;
  if (kind == kKindConsolidated) return layout.consolidated_name;
  if (kind == kKindInterim) return layout.interim_name;
  return {};
}

}  // namespace karigane
