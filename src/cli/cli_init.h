// `karigane init` on the command line: the quote site's set-up (--site URL) and J-Quants'
// (--jquants), whose API key comes from JQUANTS_API_KEY or is typed on the terminal without
// echo. Prints what was done on standard output, or why not on standard error.
#pragma once

#include "cli/cli_options.h"

namespace karigane {

// The exit status: 0 written, 2 a usage error (a bad address, no key to be had), 1 otherwise.
int run_init(const cli_options& options);

}  // namespace karigane
