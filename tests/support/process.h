// Running the built programs from tests: the command line with arguments and environment,
// capturing its output and exit status, optionally signalling it while it runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace karigane::testing {

struct process_result {
  int exit_status = -1;  // the exit code, or 128 + signal number
  std::string out;       // standard output
  std::string err;       // standard error

  // Standard output split into lines.
  std::vector<std::string> lines() const;
};

// How the child starts, beyond its arguments and environment.
struct process_start {
  // A signal made pending before the program starts (blocked, raised, and so inherited as
  // pending across exec): it reaches the program the moment the program unblocks it.
  int pending_signal = 0;
  // Called like while_running, with the standard error read so far.
  std::function<void(int pid, const std::string& err)> while_running_err;
  // Standard error on a pseudo-terminal of this many columns (0: a pipe), standard output
  // still on its pipe; `err` then holds what the terminal received.
  int stderr_terminal_columns = 0;
};

// Runs `program` with `args`; `env` entries "NAME=value" are added to the environment.
// `while_running`, when given, is called with the child's pid and the output read so far each
// time new output arrives, and may send it signals.
process_result run_process(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& env = {},
                           const std::function<void(int pid, const std::string& out)>&
                               while_running = nullptr,
                           const process_start& start = {});

// The command line binary under test.
process_result run_karigane(const std::vector<std::string>& args,
                            const std::vector<std::string>& env = {},
                            const std::function<void(int pid, const std::string& out)>&
                                while_running = nullptr,
                            const process_start& start = {});

}  // namespace karigane::testing
