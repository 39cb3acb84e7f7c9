// The command line: karigane [--dir DIR] COMMAND [options]. Parsing only; the runs are in
// main.cpp.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"

namespace karigane {

enum class cli_command { gui, collect, update, adjust, init, help, version };

struct cli_options {
  cli_command command = cli_command::gui;
  std::string dir;            // empty: the working folder
  bool from_given = false;    // --from set the start lists
  bool to_given = false;      // --to set the end lists
  control_values controls;    // the controls the options set; the rest keep their defaults
  std::string site;           // init: the quote site's address
  bool force = false;         // init: replace an existing settei.txt
};

// Parses the arguments after the program name. On a usage error returns false with a message.
bool parse_cli_options(const std::vector<std::string>& args, cli_options& options,
                       std::string& message);

// The text of --help.
std::string cli_help_text();

}  // namespace karigane
