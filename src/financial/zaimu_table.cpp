// The financial table: see zaimu_table.h.
#include "financial/zaimu_table.h"

namespace karigane {

zaimu_tbl_t empty_zaimu_table(const std::string& code) {
  zaimu_tbl_t t(1);
  t[0][kZaimuCode] = code;
  // Built from a character rather than assigned from a literal: GCC 12 at -O3 misreads the
  // literal's copy into a fresh row as overlapping.
  t[0][kZaimuCount] = std::string(1, '0');
  return t;
}

}  // namespace karigane
