// The command line's run context: see cli_context.h.
#include "cli/cli_context.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace karigane {
namespace {

run_context* g_signal_target = nullptr;

extern "C" void on_stop_signal(int sig) {
  if (g_signal_target != nullptr) g_signal_target->request_stop();
  // A second signal ends the program at once; stored files are replaced atomically, so
  // nothing is left half written.
  std::signal(sig, SIG_DFL);
}

}  // namespace

void prepare_standard_streams() {
  std::signal(SIGPIPE, SIG_IGN);
  // A file beyond the size limit (ulimit -f) is a failed write that the run reports, not a
  // signal that kills it mid-file.
  std::signal(SIGXFSZ, SIG_IGN);
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

cli_context::cli_context(std::FILE* out, std::optional<local_time> fixed_now, cli_output output)
    : out_(out),
      colour_(::isatty(::fileno(out)) != 0),
      fixed_now_(fixed_now),
      output_(output),
      progress_view_(stderr, output.quiet ? progress_style::none : output.progress) {}

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
  // A parent may have started us with the signals blocked; one already pending arrives now.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_UNBLOCK, &stop_signals, nullptr);
}

void cli_context::pump() { progress_view_.pump(*this); }

void cli_context::set_label1(std::string_view text, label_colour colour) {
  const bool changed = text != label1();
  run_context::set_label1(text, colour);
  if (text.empty() || !changed) return;
  final_text_.assign(text);
  final_colour_ = colour;
  if (!output_.quiet) print_status(text, colour);
}

void cli_context::print_status(std::string_view text, label_colour colour) {
  progress_view_.clear();
  const bool red = colour == label_colour::red;
  if (colour_ && red) std::fputs("\x1b[31m", out_);
  std::fwrite(text.data(), 1, text.size(), out_);
  if (colour_ && red) std::fputs("\x1b[0m", out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void cli_context::warn(std::string_view text) {
  run_context::warn(text);
  // Quiet, a warning goes to the run's log alone.
  if (output_.quiet) return;
  progress_view_.clear();
  std::fprintf(stderr, "karigane: %.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
}

void cli_context::finish_output() {
  progress_view_.clear();
  if (output_.quiet && !final_text_.empty()) print_status(final_text_, final_colour_);
}

local_time cli_context::now() const { return fixed_now_ ? *fixed_now_ : system_now(); }

}  // namespace karigane
