// The command line's run context: status-line texts go to standard output, one line each;
// the clock may be fixed (KARIGANE_NOW); SIGINT and SIGTERM request a stop.
//
// Standard output may be closed under the run (karigane collect | head -1): its writes then
// fail quietly and the run goes on; the exit status still tells how it ended.
#pragma once

#include <cstdio>
#include <optional>

#include "core/run_context.h"

namespace karigane {

class cli_context : public run_context {
 public:
  cli_context(std::FILE* out, std::optional<local_time> fixed_now);

  void set_label1(std::string_view text, label_colour colour) override;
  // Warnings go to standard error, "karigane: " first.
  void warn(std::string_view text) override;
  local_time now() const override;

  // Routes SIGINT and SIGTERM to this context's stop request until the context is destroyed,
  // and lets through those that arrived while they were blocked. A stop requested before a
  // run starts survives the run's clearing of the stop flag.
  void catch_stop_signals();
  ~cli_context() override;

 private:
  std::FILE* out_;
  bool colour_;
  std::optional<local_time> fixed_now_;
};

// Prepares the process for a run from a script: SIGPIPE ignored (a closed standard output is
// a failed write, not the end of the run), and standard input, output and error open (on
// /dev/null when they were closed), so that no file the run opens takes their place.
void prepare_standard_streams();

}  // namespace karigane
