// The command line: karigane [--dir DIR] COMMAND [options]. Parsing only; the runs are in
// main.cpp.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/chart_series.h"
#include "core/dates.h"
#include "kinds/collection_request.h"
#include "run/export_run.h"
#include "sources/jquants/jquants_settings.h"

namespace karigane {

enum class cli_command { gui, collect, update, adjust, init, chart, export_data, help, version };

struct cli_options {
  cli_command command = cli_command::gui;
  std::string dir;             // empty: the working folder
  bool wait_for_lock = false;  // --wait: wait while another run holds the folder
  bool from_given = false;     // --from set the start lists
  bool to_given = false;       // --to set the end lists
  // What the run is asked to do: the options given, the rest as a window opens.
  collection_request collect;
  update_request update;
  adjust_request adjust;
  std::string site;          // init: the quote site's address (with --jquants, J-Quants')
  bool force = false;        // init: replace an existing settei.txt
  bool jquants = false;      // init --jquants: J-Quants as the source
  jquants_plan plan = jquants_plan::free;  // init --plan
  bool plan_given = false;
  chart_request chart;       // chart: the stock, period, span and adjustment
  std::string chart_out;     // chart --out: the PNG file (as given)
  export_request export_to;  // export: the target (its path as given)
  // How a run shows itself besides its status texts (see parse_output_option).
  bool progress_lines = false;  // --progress: plain progress lines on standard error
  bool quiet = false;           // --quiet: only the final status text and the failure summary
  std::string log_file;         // --log FILE: the run's log instead of log/karigane-DATE.log
};

// Parses the arguments after the program name. On a usage error returns false with a message
// in the reader's language (core/messages.h); a --code or --range end that is not a code the
// run takes (4 characters: 1301, 130A) is one.
bool parse_cli_options(const std::vector<std::string>& args, cli_options& options,
                       std::string& message);

// The options of a run's output, which may stand anywhere like --dir: --progress, --quiet
// (-q) and --log FILE. Takes args[i] (and its value, advancing i) when it is one of them.
enum class option_parse { not_mine, taken, failed };
option_parse parse_output_option(const std::vector<std::string>& args, std::size_t& i,
                                 cli_options& options, std::string& message);

// The period lists' texts that --from and --to gave must be able to stand in the lists: a year
// of the year list (1983 to this year), a month 1..12 and a day 1..31. A day beyond the month's
// end is left to the period check, which clamps it. When a ticked kind has a period, it must
// not end before it starts. On refusal returns false with a message.
bool check_period_options(const cli_options& options, const date& today, std::string& message);

// The clock of KARIGANE_NOW: nothing when the variable is unset or empty; false with a message
// when it is set but not a time.
bool read_fixed_now(std::optional<local_time>& now, std::string& message);

// The text of --help, in the reader's language.
std::string cli_help_text();

// One entry of --help: "  TERM", then the lines of `description` from `column` on (from the
// next line when the term leaves less than two spaces before it, or is not ASCII).
std::string help_entry(const std::string& term, const std::string& description,
                       std::size_t column = 22);

}  // namespace karigane
