// The command line of karigane-quote-site.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/dates.h"
#include "quote_server.h"

namespace karigane::quote_site {

struct site_options {
  server_settings server;
  std::string data_folder;               // --data DIR; "" for the factory data set
  std::uint64_t seed = 1;                // --seed N
  std::optional<local_time> now;         // --now; the system clock otherwise
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name; false with a message on a usage error.
bool parse_site_options(const std::vector<std::string>& args, site_options& options,
                        std::string& error);

// The text of --help.
std::string site_help_text();

}  // namespace karigane::quote_site
