// The export run: see export_run.h.
#include "run/export_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "export/csv_export.h"
#include "export/csv_export_set.h"
#include "export/export_tables.h"
#include "export/sqlite_export.h"
#include "run/leftover_files.h"
#include "run/settings.h"

namespace karigane {
namespace {

// How long a database held by another program is waited for: KARIGANE_EXPORT_WAIT_SECONDS
// when it is a number of seconds (0: not at all), else kExportWaitSeconds.
double wait_seconds() {
  const char* text = std::getenv("KARIGANE_EXPORT_WAIT_SECONDS");
  if (text == nullptr || *text == '\0') return kExportWaitSeconds;
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  return *end == '\0' && seconds >= 0 ? seconds : kExportWaitSeconds;
}

// The wait for a database that another program holds, told as a warning (standard error on
// the command line, the run log) when it begins and on Label3 (the window's status area) as it
// goes on; a stop ends it.
export_wait wait_for_holders(run_context& ctx, const std::string& shown) {
  export_wait wait;
  wait.seconds = wait_seconds();
  wait.waiting = [&ctx, shown, limit = wait.seconds](double waited, const std::string& holders) {
    if (waited == 0) {
      char text[32];
      std::snprintf(text, sizeof text, "%g", limit);
      ctx.warn(shown + " を" + holders + "が開いているため、閉じられるのを最長" + text +
               "秒待ちます。");
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.0f", waited);
    ctx.set_label3(shown + " を" + holders + "が開いています（" + seconds + "秒待機中）",
                   label_colour::black);
    ctx.pump();
    return !ctx.stop_flag();
  };
  return wait;
}

// What killed CSV exports left in the folder: a switch of sets half done is finished or undone
// before anything else looks at the folder's files.
bool recover_killed_csv_exports(run_context& ctx, const std::string& folder) {
  for (const std::string& staging : leftover_temporary_folders(folder)) {
    std::string failed;
    if (!recover_staged_set(folder, staging, failed)) {
      ctx.set_run_error("ファイルを書き込めません: " + ctx.relative_path(folder + failed));
      return false;
    }
  }
  return true;
}

}  // namespace

export_result export_run(run_context& ctx, const export_request& request) {
  const auto began = std::chrono::steady_clock::now();
  export_result result;
  begin_button_run(ctx);
  const program_settings settings = read_settings(ctx.program_folder, ctx.factory_folder, &ctx);
  ctx.set_controls_sub(false);
  ctx.pump();

  std::unique_ptr<export_sink> sink;
  // The files this export replaces: an export killed while it wrote them left their temporary
  // files (as large as the export) beside them, outside the folders the run frame cleans.
  std::vector<std::string> targets;
  const std::string shown = ctx.relative_path(request.path);
  if (request.kind == export_request::target::sqlite) {
    sink = std::make_unique<sqlite_export_sink>(request.path, shown, wait_for_holders(ctx, shown));
    targets.push_back(request.path);
  } else {
    std::string folder = request.path;
    if (folder.empty() || folder.back() != '/') folder += '/';
    sink = std::make_unique<csv_export_sink>(folder, ctx.relative_path(folder));
    // (Exports made before the staging folder left theirs beside each file.)
    for (const std::string& name : csv_export_file_names()) targets.push_back(folder + name);
    if (!recover_killed_csv_exports(ctx, folder)) {
      error_ending(ctx, ctx.run_error());
      result.ending = run_ending::error;
      return result;
    }
  }
  remove_leftover_temporaries_of(targets);
  const export_outcome outcome = run_export_pass(ctx, settings.layout, *sink, result.counts);
  sink.reset();
  ctx.set_label3("", label_colour::black);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  switch (outcome) {
    case export_outcome::failed:
      error_ending(ctx, ctx.run_error());
      result.ending = run_ending::error;
      return result;
    case export_outcome::stopped:
      abort_ending(ctx);
      result.ending = run_ending::aborted;
      return result;
    case export_outcome::completed:
      break;
  }
  ctx.set_controls_sub(true);
  ctx.set_label1(kExportCompleted, label_colour::blue);
  ctx.pump();
  return result;
}

std::string export_summary_text(const export_result& result) {
  const export_counts& c = result.counts;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", result.seconds);
  std::string text = "エクスポート: " + std::to_string(c.read) + "ファイル " +
                     std::to_string(c.rows) + "行 " + seconds + "秒";
  if (c.unchanged > 0) text += "（変更のないファイル " + std::to_string(c.unchanged) + "）";
  if (c.skipped > 0) text += "（読めないファイル " + std::to_string(c.skipped) + "）";
  return text;
}

}  // namespace karigane
