// The command line's run context: status-line texts go to standard output, one line each;
// the clock may be fixed by KARIGANE_NOW; SIGINT and SIGTERM set the stop flag.
#pragma once

#include <cstdio>
#include <optional>

#include "core/run_context.h"

namespace karigane {

class cli_context : public run_context {
 public:
  explicit cli_context(std::FILE* out);

  void set_label1(std::string_view text, label_colour colour) override;
  local_time now() const override;

  // Routes SIGINT and SIGTERM to this context's stop flag until the context is destroyed.
  void catch_stop_signals();
  ~cli_context() override;

 private:
  std::FILE* out_;
  bool colour_;
  std::optional<local_time> fixed_now_;
};

}  // namespace karigane
