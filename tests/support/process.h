// Running the built programs from tests: the command line with arguments and environment,
// capturing its output and exit status, optionally signalling it while it runs; or started
// without waiting, to be killed at a moment the test chooses.
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
  // The largest file the program may write, in bytes (ulimit -f; 0: no limit set).
  long file_size_limit = 0;
};

// Runs `program` with `args`; `env` entries "NAME=value" are added to the environment (in
// place of an inherited variable of the same name).
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

// A child that runs while the test goes on: started at once, then either waited for or ended
// by a signal at a moment of the test's choosing, and reaped. Its standard output and error
// go to a file (or nowhere), so that a child nobody reads never blocks on a full pipe. It dies
// with the test process; the destructor kills and reaps a child still running.
class child_process {
 public:
  // Starts `program` with `args`; `env` as for run_process; `output_path` "" discards the
  // output. started() tells whether the fork succeeded.
  child_process(const std::string& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env = {}, const std::string& output_path = {});
  ~child_process();
  child_process(const child_process&) = delete;
  child_process& operator=(const child_process&) = delete;

  bool started() const { return pid_ > 0; }
  int pid() const { return pid_; }
  // Waits for the end: the exit code, or 128 + signal number (as process_result has it).
  int wait();
  // Sends `signal` unless the child was reaped already, then waits for the end. A child that
  // had ended by itself keeps its own status.
  int signal_and_wait(int signal);

 private:
  int pid_ = -1;
  bool reaped_ = false;
  int status_ = -1;
};

// The command line binary under test, for child_process.
std::string karigane_program();

}  // namespace karigane::testing
