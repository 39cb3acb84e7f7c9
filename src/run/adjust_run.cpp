// The adjusted-price run: see adjust_run.h. The files themselves are written by
// adjust/adjusted_files; a write that fails lets the files in hand finish, begins no new one
// and turns the ending into the error ending, so that a full disk or a read-only folder is not
// reported as success.
#include "run/adjust_run.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "adjust/adjusted_files.h"
#include "core/file_store.h"
#include "run/settings.h"

namespace karigane {
namespace {

std::string folder_message(const std::string& folder) {
  return "フォルダを作成できません: " + folder;
}

run_ending failed(run_context& ctx, const std::string& message) {
  error_ending(ctx, message);
  return run_ending::error;
}

}  // namespace

run_ending adjust(run_context& ctx, const adjust_request& request) {
  return adjust_counted(ctx, request).ending;
}

std::string adjust_summary_text(const adjust_result& result) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", result.seconds);
  return "調整後株価: " + std::to_string(result.files) + "ファイル " + std::to_string(result.rows) +
         "行 " + seconds + "秒";
}

adjust_result adjust_counted(run_context& ctx, const adjust_request& request) {
  const auto started = std::chrono::steady_clock::now();
  begin_button_run(ctx);
  const program_settings settings = read_settings(ctx.program_folder, ctx.factory_folder, &ctx);
  const program_layout& layout = settings.layout;
  ctx.set_controls_sub(false);
  ctx.pump();
  if (!ensure_folder(layout.adjusted)) return {failed(ctx, folder_message(layout.adjusted))};
  ctx.pump();

  const adjusted_files_outcome outcome = request.from_yearly
                                             ? write_adjusted_yearly_files(ctx, layout)
                                             : write_adjusted_main_files(ctx, layout);
  if (!outcome.folder_failed.empty()) return {failed(ctx, folder_message(outcome.folder_failed))};
  if (ctx.stop_flag()) {
    abort_ending(ctx);
    return {run_ending::aborted};
  }
  if (outcome.write_failures > 0) {
    std::string message =
        "ファイルを書き込めません: " + ctx.relative_path(outcome.first_write_failure);
    if (outcome.write_failures > 1) {
      message += "（ほか" + std::to_string(outcome.write_failures - 1) + "件）";
    }
    return {failed(ctx, message)};
  }

  ctx.set_controls_sub(true);
  ctx.set_label1("", label_colour::blue);
  ctx.pump();
  return {run_ending::completed, outcome.files_written, outcome.rows_written,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()};
}

}  // namespace karigane
