// The command line's "chart" and "export" commands: their options and their part of --help,
// kept apart from the collection options of cli_options.cpp. (export runs in the run frame,
// chart only reads: main.cpp.)
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace karigane {

// Parses the arguments of a command after its name, from args[i]; `i` ends on the last one
// used. False with a message on a usage error.
bool parse_chart_argument(const std::vector<std::string>& args, std::size_t& i, cli_options& o,
                          std::string& message);
bool parse_export_argument(const std::vector<std::string>& args, std::size_t& i, cli_options& o,
                           std::string& message);
// The checks once every argument is read (a code for chart, a target for export).
bool finish_chart_options(cli_options& o, std::string& message);
bool finish_export_options(cli_options& o, std::string& message);

// The --help lines of the two commands.
std::string chart_export_help();

}  // namespace karigane
