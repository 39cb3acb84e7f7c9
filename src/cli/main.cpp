// karigane: the command line and, without a command, the main window.
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "run/adjust_run.h"
#include "run/collection_run.h"
#include "run/period.h"
#include "run/program_folder.h"
#include "run/export_run.h"
#include "run/program_init.h"
#include "run/run_frame.h"
#include "run/settings.h"
#ifdef KARIGANE_HAS_WINDOW
#include "window/chart_window_launch.h"
#include "window/main_window_launch.h"
#endif
#include "cli/cli_context.h"
#include "cli/cli_export_chart.h"
#include "cli/cli_init.h"
#include "cli/cli_options.h"
#include "core/install_paths.h"
#include "core/messages.h"
#include "run/update_run.h"

namespace {

using namespace karigane;

constexpr int kExitUsage = 2;

int usage_error(const std::string& message) {
  std::fprintf(stderr, "karigane: %s\n%s\n", message.c_str(),
               tr("使い方は 'karigane --help' をご覧ください。"));
  return kExitUsage;
}

[[maybe_unused]] int no_window() {
  std::fprintf(stderr, "karigane: %s\n",
               tr("このビルドにはウィンドウがありません（KARIGANE_WINDOW=OFF）。"
                  "'karigane --help' をご覧ください。"));
  return kExitUsage;
}

// The failures of the run on standard error: the count, then one line each, then the notes on
// what to do about them.
void print_failures(const run_outcome& outcome) {
  std::string text;
  if (!outcome.failures.empty()) text = failure_count_text(outcome.failures.size()) + "\n";
  for (const run_failure& f : outcome.failures) text += failure_line(f) + "\n";
  for (const std::string& note : outcome.notes) text += note + "\n";
  if (text.empty()) return;
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

// The collection's request: the options given, the period lists' preset where none was given.
collection_request collection_of(const cli_options& options, const date& today) {
  collection_request request = options.collect;
  const period_texts preset = preset_period(today);
  period_texts& p = request.period;
  if (!options.from_given) {
    p.start_year = preset.start_year;
    p.start_month = preset.start_month;
    p.start_day = preset.start_day;
  }
  if (!options.to_given) {
    p.end_year = preset.end_year;
    p.end_month = preset.end_month;
    p.end_day = preset.end_day;
  }
  // "年毎" goes with the period, as the window has it.
  if (!period_applies(request.kinds)) request.yearly = false;
  return request;
}

// How the run shows itself: the progress view and --quiet.
cli_output output_of(const cli_options& options) {
  cli_output output;
  output.quiet = options.quiet;
  if (options.progress_lines) {
    output.progress = progress_style::plain;
  } else if (::isatty(STDERR_FILENO) != 0) {
    output.progress = progress_style::terminal;
  }
  return output;
}

// The command line as given, for the run's log.
std::string command_line_text(int argc, char** argv) {
  std::string text = "karigane";
  for (int i = 1; i < argc; ++i) {
    text += ' ';
    text += argv[i];
  }
  return text;
}

int run_command(cli_context& ctx, const cli_options& options, const std::string& command_line) {
  run_frame_options frame;
  frame.wait_for_lock = options.wait_for_lock;
  frame.started_by = command_line;
  frame.log_file = options.log_file.empty() ? std::string() : absolute_file(options.log_file);
  frame.reads_only = options.command == cli_command::export_data;
  run_outcome outcome;
  std::optional<export_result> exported;
  std::optional<adjust_result> adjusted;
  switch (options.command) {
    case cli_command::update:
      outcome = run_in_frame(
          ctx, kRunUpdate, [&](run_context& c) { return update(c, options.update); }, frame);
      break;
    case cli_command::adjust:
      outcome = run_in_frame(
          ctx, kRunAdjust,
          [&](run_context& c) {
            adjusted = adjust_counted(c, options.adjust);
            return adjusted->ending;
          },
          frame);
      break;
    case cli_command::export_data:
      outcome = run_in_frame(
          ctx, kRunExport,
          [&](run_context& c) {
            exported = export_run(c, options.export_to);
            return exported->ending;
          },
          frame);
      break;
    default: {
      const collection_request request = collection_of(options, ctx.now().day);
      outcome = run_in_frame(
          ctx, kRunCollection, [&](run_context& c) { return collect(c, request).ending; }, frame);
      break;
    }
  }
  ctx.finish_output();
  print_failures(outcome);
  // An export or adjustment that went through ends with what it wrote.
  if (exported && exported->ending == run_ending::completed && !options.quiet) {
    std::fprintf(stderr, "%s\n", export_summary_text(*exported).c_str());
  }
  if (adjusted && adjusted->ending == run_ending::completed && !options.quiet) {
    std::fprintf(stderr, "%s\n", adjust_summary_text(*adjusted).c_str());
  }
  return run_exit_status(outcome);
}

}  // namespace

int main(int argc, char** argv) {
  prepare_standard_streams();
  choose_reader_language(program_locale_folder());
  std::vector<std::string> args(argv + 1, argv + argc);
  cli_options options;
  std::string message;
  if (!parse_cli_options(args, options, message)) return usage_error(message);
  if (options.command == cli_command::help) {
    std::fputs(cli_help_text().c_str(), stdout);
    return kExitCompleted;
  }
  if (options.command == cli_command::version) {
    std::printf("karigane %s\n", program_version());
    return kExitCompleted;
  }
  if (options.command == cli_command::init) return run_init(options);
  std::optional<local_time> fixed_now;
  if (!read_fixed_now(fixed_now, message)) return usage_error(message);
  if (options.command == cli_command::gui) {
#ifdef KARIGANE_HAS_WINDOW
    return run_main_window(argc, argv, options.dir);
#else
    return no_window();
#endif
  }

  cli_context ctx(stdout, fixed_now, output_of(options));
  // From here a SIGINT or SIGTERM is a stop of the run, however early it comes.
  ctx.catch_stop_signals();
  if (!check_period_options(options, ctx.now().day, message)) return usage_error(message);
  ctx.program_folder = absolute_folder(options.dir);
  ctx.factory_folder = find_factory_folder();
  const bool reads_only =
      options.command == cli_command::chart || options.command == cli_command::export_data;
  if (!prepare_program_folder(ctx, message, reads_only ? folder_use::reads : folder_use::writes)) {
    std::fprintf(stderr, "karigane: %s\n", message.c_str());
    return kExitError;
  }
  if (options.command == cli_command::chart) {
    // Only reads the stored files: no run, no lock.
#ifdef KARIGANE_HAS_WINDOW
    const program_settings settings = read_settings(ctx.program_folder, ctx.factory_folder);
    return run_chart_command(argc, argv, settings.layout, options.chart, options.chart_out);
#else
    return no_window();
#endif
  }
  return run_command(ctx, options, command_line_text(argc, argv));
}
