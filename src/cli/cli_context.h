// The command line's run context: status-line texts go to standard output, one line each;
// warnings and the progress (cli_progress.h) go to standard error; the clock may be fixed
// (KARIGANE_NOW); SIGINT and SIGTERM request a stop. Quiet (--quiet), only the run's final
// status text is printed, by finish_output().
//
// Standard output may be closed under the run (karigane collect | head -1): its writes then
// fail quietly and the run goes on; the exit status still tells how it ended.
#pragma once

#include <cstdio>
#include <optional>

#include "cli/cli_progress.h"
#include "core/run_context.h"

namespace karigane {

// How the command line shows a run besides its status texts.
struct cli_output {
  progress_style progress = progress_style::none;
  bool quiet = false;  // only the final status text (and, from main, the failure summary)
};

class cli_context : public run_context {
 public:
  cli_context(std::FILE* out, std::optional<local_time> fixed_now, cli_output output = {});

  // Draws the progress when it is due.
  void pump() override;
  void set_label1(std::string_view text, label_colour colour) override;
  // Warnings go to standard error, "karigane: " first.
  void warn(std::string_view text) override;
  local_time now() const override;

  // Routes SIGINT and SIGTERM to this context's stop request until the context is destroyed,
  // and lets through those that arrived while they were blocked. A stop requested before a
  // run starts survives the run's clearing of the stop flag.
  void catch_stop_signals();
  ~cli_context() override;

  // After the run: clears the progress line and, quiet, prints the run's final status text.
  void finish_output();

 private:
  void print_status(std::string_view text, label_colour colour);

  std::FILE* out_;
  bool colour_;
  std::optional<local_time> fixed_now_;
  cli_output output_;
  progress_printer progress_view_;
  std::string final_text_;
  label_colour final_colour_ = label_colour::blue;
};

// Prepares the process for a run from a script or the window: SIGPIPE ignored (a closed standard
// output is a failed write, not the end of the run), SIGXFSZ ignored (a file beyond ulimit -f is
// a write that fails with EFBIG), and standard input, output and error open (on /dev/null when
// they were closed), so that no file the run opens takes their place.
void prepare_standard_streams();

}  // namespace karigane
