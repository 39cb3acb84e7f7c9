// The export run: see export_run.h.
#include "run/export_run.h"

#include <memory>
#include <string>
#include <vector>

#include "export/csv_export.h"
#include "export/export_driver.h"
#include "export/export_tables.h"
#include "export/sqlite_export.h"
#include "run/leftover_files.h"
#include "run/settings.h"

namespace karigane {

run_ending export_run(run_context& ctx, const export_request& request) {
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
    sink = std::make_unique<sqlite_export_sink>(request.path, shown);
    targets.push_back(request.path);
  } else {
    std::string folder = request.path;
    if (folder.empty() || folder.back() != '/') folder += '/';
    sink = std::make_unique<csv_export_sink>(folder, ctx.relative_path(folder));
    for (const export_table table : all_export_tables()) {
      targets.push_back(folder + std::string(table_layout(table).name) + ".csv");
    }
  }
  remove_leftover_temporaries_of(targets);
  export_counts counts;
  const export_outcome outcome = run_export_pass(ctx, settings.layout, *sink, counts);
  switch (outcome) {
    case export_outcome::failed:
      error_ending(ctx, ctx.run_error());
      return run_ending::error;
    case export_outcome::stopped:
      abort_ending(ctx);
      return run_ending::aborted;
    case export_outcome::completed:
      break;
  }
  ctx.set_controls_sub(true);
  ctx.set_label1(kExportCompleted, label_colour::blue);
  ctx.pump();
  return run_ending::completed;
}

}  // namespace karigane
