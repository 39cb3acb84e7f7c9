// The margin table and the shape of its files: see margin_files.h.
#include "margin/margin_files.h"

namespace karigane {

const dated_file_shape<4> kMarginFile{kCreditFileWidth, kCreditCount, kCreditDate, nullptr};

credit_tbl_t empty_credit_table(const std::string& code) {
  return credit_tbl_t{credit_row{code, "", "", "0"}};
}

}  // namespace karigane
