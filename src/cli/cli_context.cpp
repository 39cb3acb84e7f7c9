// The command line's run context: see cli_context.h.
#include "cli/cli_context.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace karigane {
namespace {

run_context* g_signal_target = nullptr;

extern "C" void on_stop_signal(int sig) {
  if (g_signal_target != nullptr) g_signal_target->set_stop_flag(true);
  // A second signal ends the program at once; stored files are replaced atomically, so
  // nothing is left half written.
  std::signal(sig, SIG_DFL);
}

}  // namespace

cli_context::cli_context(std::FILE* out) : out_(out), colour_(::isatty(::fileno(out)) != 0) {
  if (const char* env = std::getenv("KARIGANE_NOW"); env != nullptr && *env != '\0') {
    fixed_now_ = parse_local_time(env);
  }
}

cli_context::~cli_context() {
  if (g_signal_target == this) {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    g_signal_target = nullptr;
  }
}

void cli_context::catch_stop_signals() {
  g_signal_target = this;
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

void cli_context::set_label1(std::string_view text, label_colour colour) {
  const bool changed = text != label1();
  run_context::set_label1(text, colour);
  if (text.empty() || !changed) return;
  const bool red = colour == label_colour::red;
  if (colour_ && red) std::fputs("\x1b[31m", out_);
  std::fwrite(text.data(), 1, text.size(), out_);
  if (colour_ && red) std::fputs("\x1b[0m", out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

local_time cli_context::now() const { return fixed_now_ ? *fixed_now_ : system_now(); }

}  // namespace karigane
