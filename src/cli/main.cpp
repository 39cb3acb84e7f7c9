// karigane: the command line and, without a command, the main window.
#include <cstdio>
#include <string>
#include <vector>

#include "run/adjust_run.h"
#include "run/collection_run.h"
#include "run/period.h"
#include "run/program_folder.h"
#include "run/program_init.h"
#include "run/settings.h"
#ifdef KARIGANE_HAS_WINDOW
#include "window/main_window_launch.h"
#endif
#include "cli/cli_context.h"
#include "cli/cli_options.h"
#include "core/install_paths.h"
#include "run/update_run.h"

namespace {

using namespace karigane;

constexpr int kExitCompleted = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 130;

int exit_status(run_ending ending) {
  switch (ending) {
    case run_ending::completed: return kExitCompleted;
    case run_ending::error: return kExitError;
    case run_ending::aborted: return kExitStopped;
  }
  return kExitError;
}

int run_collect(cli_context& ctx, const cli_options& options) {
  ctx.controls = options.controls;
  const date today = ctx.now().day;
  control_values preset;
  preset_period_lists(preset, today);
  control_values& c = ctx.controls;
  if (!options.from_given) {
    c.yyyy_start_cmb = preset.yyyy_start_cmb;
    c.mm_start_cmb = preset.mm_start_cmb;
    c.dd_start_cmb = preset.dd_start_cmb;
  }
  if (!options.to_given) {
    c.yyyy_end_cmb = preset.yyyy_end_cmb;
    c.mm_end_cmb = preset.mm_end_cmb;
    c.dd_end_cmb = preset.dd_end_cmb;
  }
  // "年毎" is usable only while time series or margin balances are ticked.
  if (!c.out1_jikeiretu_chk && !c.out1_shinyou_chk) c.out1_nengoto_chk = false;
  ctx.catch_stop_signals();
  return exit_status(m_dl_start_cmd_Click(ctx));
}

int run_update(cli_context& ctx, const cli_options& options) {
  ctx.controls = options.controls;
  ctx.catch_stop_signals();
  return exit_status(renew_start_cmd_Click(ctx));
}

int run_adjust(cli_context& ctx, const cli_options& options) {
  ctx.controls = options.controls;
  ctx.catch_stop_signals();
  return exit_status(out2_hosei_cmd_Click(ctx));
}

int run_init(const cli_options& options) {
  std::string message;
  const init_result r = init_program_folder(absolute_folder(options.dir), find_factory_folder(),
                                            options.site, options.force, message);
  if (r == init_result::written) {
    std::printf("%s\n", message.c_str());
    return kExitCompleted;
  }
  std::fprintf(stderr, "karigane: %s\n", message.c_str());
  return r == init_result::bad_site ? kExitUsage : kExitError;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  cli_options options;
  std::string message;
  if (!parse_cli_options(args, options, message)) {
    std::fprintf(stderr, "karigane: %s\nTry 'karigane --help'.\n", message.c_str());
    return kExitUsage;
  }
  if (options.command == cli_command::help) {
    std::fputs(cli_help_text().c_str(), stdout);
    return kExitCompleted;
  }
  if (options.command == cli_command::version) {
    std::printf("karigane %s\n", program_version());
    return kExitCompleted;
  }
  if (options.command == cli_command::init) return run_init(options);
  if (options.command == cli_command::gui) {
#ifdef KARIGANE_HAS_WINDOW
    return run_main_window(argc, argv, options.dir);
#else
    std::fputs("karigane: this build has no window (KARIGANE_WINDOW=OFF); see 'karigane --help'.\n",
               stderr);
    return kExitUsage;
#endif
  }

  cli_context ctx(stdout);
  ctx.program_folder = absolute_folder(options.dir);
  ctx.factory_folder = find_factory_folder();
  if (!prepare_program_folder(ctx, message)) {
    std::fprintf(stderr, "karigane: %s\n", message.c_str());
    return kExitUsage;
  }
  read_settei_sub(ctx, ctx.settei);
  if (options.command == cli_command::update) return run_update(ctx, options);
  if (options.command == cli_command::adjust) return run_adjust(ctx, options);
  return run_collect(ctx, options);
}
