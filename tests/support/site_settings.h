// settei.txt for a test's program folder: every host key of the quote site pointed at the
// local quote site, plus any further records; and the factory stock list.
#pragma once

#include <string>

#include "support/quote_site_process.h"

namespace karigane::testing {

// Writes folder + "settei.txt" (CP932): the five host keys, then `extra` ("key,value\r\n"
// records), then the end record.
void write_site_settings(const std::string& folder, const quote_site_process& site,
                         const std::string& extra = "");

// Puts the factory stock list in place as folder + "meigara_list.csv", as `karigane init` does
// (a folder with settings keeps a missing list missing).
void write_factory_stock_list(const std::string& folder);

}  // namespace karigane::testing
