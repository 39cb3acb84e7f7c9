// `karigane init`: see cli_init.h.
#include "cli/cli_init.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/cli_context.h"
#include "core/messages.h"
#include "run/program_folder.h"
#include "run/program_init.h"
#include "run/run_frame.h"

namespace karigane {
namespace {

constexpr int kExitUsage = 2;

// The key typed on the terminal, its echo off while it is typed; "" when none was typed.
std::string typed_key() {
  std::fputs(tr("J-Quants の API キー: "), stderr);
  std::fflush(stderr);
  termios before{};
  const bool terminal = ::tcgetattr(STDIN_FILENO, &before) == 0;
  if (terminal) {
    termios quiet = before;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string key;
  std::getline(std::cin, key);
  if (terminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
  std::fputs("\n", stderr);
  return key;
}

int finish(init_result r, const std::string& message) {
  if (r == init_result::written) {
    std::printf("%s\n", message.c_str());
    return kExitCompleted;
  }
  std::fprintf(stderr, "karigane: %s\n", message.c_str());
  return r == init_result::bad_site ? kExitUsage : kExitError;
}

}  // namespace

int run_init(const cli_options& options) {
  std::string message;
  const std::string folder = absolute_folder(options.dir);
  if (!options.jquants) {
    return finish(
        init_program_folder(folder, find_factory_folder(), options.site, options.force, message),
        message);
  }
  std::optional<local_time> fixed_now;
  if (!read_fixed_now(fixed_now, message)) {
    std::fprintf(stderr, "karigane: %s\n", message.c_str());
    return kExitUsage;
  }
  jquants_init request{options.site, options.plan, {}, options.force};
  if (const char* key = std::getenv(kJquantsApiKeyVariable); key != nullptr && *key != '\0') {
    request.api_key = key;
  } else if (::isatty(STDIN_FILENO) != 0) {
    request.api_key = typed_key();
  }
  if (request.api_key.empty()) {
    std::fprintf(stderr, "karigane: %s\n",
                 tr("J-Quants の API キーを環境変数 JQUANTS_API_KEY に入れるか、端末で入力して"
                    "ください"));
    return kExitUsage;
  }
  cli_context ctx(stdout, fixed_now, {progress_style::none, true});
  ctx.catch_stop_signals();
  ctx.program_folder = folder;
  return finish(init_jquants_folder(ctx, folder, request, message), message);
}

}  // namespace karigane
