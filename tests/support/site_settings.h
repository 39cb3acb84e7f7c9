// settei.txt for a test's program folder: every host key of the quote site pointed at the
// local quote site, plus any further records.
#pragma once

#include <string>

#include "support/quote_site_process.h"

namespace karigane::testing {

// Writes folder + "settei.txt" (CP932): the five host keys, then `extra` ("key,value\r\n"
// records), then the end record.
void write_site_settings(const std::string& folder, const quote_site_process& site,
                         const std::string& extra = "");

}  // namespace karigane::testing
