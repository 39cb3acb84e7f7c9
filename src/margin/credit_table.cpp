// The margin table: see credit_table.h.
#include "margin/credit_table.h"

namespace karigane {

credit_tbl_t empty_credit_table(const std::string& code) {
  return credit_tbl_t{credit_row{code, "", "", "0"}};
}

}  // namespace karigane
