// The run frame: see run_frame.h.
#include "run/run_frame.h"

#include <sys/stat.h>

#include <chrono>
#include <exception>
#include <thread>

#include "core/file_store.h"
#include "core/text.h"
#include "run/folder_lock.h"
#include "run/leftover_files.h"
#include "run/run_log.h"
#include "run/settings.h"
#include "sources/quote_site/page_retrieval.h"

namespace karigane {
namespace {

constexpr std::chrono::milliseconds kLockPoll{50};

// Whether two paths name the same folder.
bool same_folder(const std::string& a, const std::string& b) {
  struct stat x {
  }, y{};
  return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

// The folders a run locks: the program folder, and the database folder of its settings when that
// is another folder (program folders whose settings name the same database run on the same
// files). A run that writes makes the database folder first, so that there is one to lock.
std::vector<std::string> folders_to_lock(const run_context& ctx, bool reads_only) {
  std::vector<std::string> folders{ctx.program_folder};
  const std::string database =
      read_settings(ctx.program_folder, ctx.factory_folder).layout.database;
  if (database.empty()) return folders;
  if (!reads_only) ensure_folder(database);
  if (folder_exists(database) && !same_folder(database, ctx.program_folder)) {
    folders.push_back(database);
  }
  return folders;
}

// Takes the folders' locks, waiting for them when asked to. False with the run's ending (the
// error ending, or the abort ending of a stopped wait) when the run cannot start.
bool take_folder_locks(run_context& ctx, std::vector<folder_lock>& locks,
                       const run_frame_options& options, run_ending& ending) {
  bool told = false;
  const std::vector<std::string> folders = folders_to_lock(ctx, options.reads_only);
  locks = std::vector<folder_lock>(folders.size());
  const folder_lock::mode how =
      options.reads_only ? folder_lock::mode::shared : folder_lock::mode::exclusive;
  for (;;) {
    std::string held;
    for (std::size_t i = 0; i < folders.size() && held.empty(); ++i) {
      switch (locks[i].try_take(folders[i], how)) {
        case folder_lock::result::taken:
          break;
        case folder_lock::result::failed:
          error_ending(
              ctx, "ロックファイルを作成できません: " + folders[i] + std::string(kLockFileName));
          ending = run_ending::error;
          return false;
        case folder_lock::result::held_elsewhere:
          held = folders[i];
          break;
      }
    }
    if (held.empty()) return true;
    // All or none: a run that waits holds nothing meanwhile.
    for (folder_lock& lock : locks) lock.release();
    if (!options.wait_for_lock) {
      error_ending(ctx, folder_in_use_message(held));
      ending = run_ending::error;
      return false;
    }
    if (!told) ctx.warn(folder_in_use_message(held) + "（終了を待っています）");
    told = true;
    if (ctx.stop_flag()) {
      abort_ending(ctx);
      ending = run_ending::aborted;
      return false;
    }
    ctx.pump();
    std::this_thread::sleep_for(kLockPoll);
  }
}

// Temporary files below the database and the adjusted-price folders of the settings, and in
// the program folder itself (the stock list's). The settings are read apart from the run's
// context, whose stop flag (set between runs, or by an early stop) would cut the reading short.
void remove_leftovers(const run_context& ctx) {
  const program_layout layout = read_settings(ctx.program_folder, ctx.factory_folder).layout;
  std::vector<std::string> trees{layout.database};
  if (layout.adjusted.rfind(layout.database, 0) != 0) trees.push_back(layout.adjusted);
  remove_leftover_temporaries(trees, ctx.program_folder);
}

// Each key of settei.txt that no setting knows, once per run; and a certificate file the
// settings name that cannot be read (every HTTPS page would fail on it).
void warn_of_settings(run_context& ctx) {
  for (const std::string& key : unknown_settings_keys(ctx.program_folder)) {
    ctx.warn(unknown_settings_key_warning(key));
  }
  const std::string ca_file =
      read_settings(ctx.program_folder, ctx.factory_folder).connection.ca_certificate_file;
  std::string bytes;
  if (ca_file.empty()) return;
  if (const file_status read = read_file_bytes(ca_file, bytes); !read) {
    ctx.warn("CA証明書ファイルを読めません: " + ca_file + ": " + file_error_text(read.error()));
  }
}

// A run that only reads leaves the folder as it is: no old log or leftover file is removed.
void begin_run(run_context& ctx, const char* run_kind, bool reads_only) {
  ctx.progress.start_run(run_kind);
  if (!ctx.program_folder.empty() && !reads_only) {
    remove_old_logs(program_layout::of_folder(ctx.program_folder), ctx.now().day);
  }
  warn_of_settings(ctx);
  if (!reads_only) remove_leftovers(ctx);
}

// A folder without settei.txt reads from the outside site at its default address: when that
// cannot be reached, the person is told how to name a source.
void note_how_to_set_up(run_context& ctx) {
  if (ctx.label1() != kSiteSilentText) return;
  if (file_exists(program_layout::of_folder(ctx.program_folder).settings_file())) return;
  const std::string dir = shell_word(ctx.program_folder);
  ctx.failures.add_note("settei.txt がありません。データの取得元を設定するには: karigane --dir " +
                        dir + " init --site URL（または karigane --dir " + dir +
                        " init --jquants）");
}

// The run's file workers are done by now: the log is let go after its last lines.
run_outcome end_run(run_context& ctx, run_log& log, run_outcome outcome) {
  ctx.progress.finish();
  log.failures(outcome.failures);
  for (const std::string& note : outcome.notes) log.warning(note);
  log.end(outcome.ending, run_exit_status(outcome));
  ctx.set_record(nullptr);
  return outcome;
}

std::string log_path(const run_context& ctx, const run_frame_options& options) {
  if (!options.log_file.empty()) return options.log_file;
  if (ctx.program_folder.empty()) return {};
  return program_layout::of_folder(ctx.program_folder).log_file(ctx.now().day);
}

// The engine reports through the run context; anything thrown is a fault of its own, shown as
// the error ending rather than allowed to end the program.
run_ending run_caught(run_context& ctx, const button_run& run) {
  try {
    return run(ctx);
  } catch (const std::exception& e) {
    error_ending(ctx, e.what());
  } catch (...) {
    error_ending(ctx, "処理を中断しました。");
  }
  return run_ending::error;
}

}  // namespace

std::string folder_in_use_message(const std::string& folder) {
  return "別の処理がこのフォルダで実行中です: " + folder;
}

int run_exit_status(const run_outcome& outcome) {
  switch (outcome.ending) {
    case run_ending::completed:
      return outcome.failures.empty() ? kExitCompleted : kExitCompletedWithFailures;
    case run_ending::error: return kExitError;
    case run_ending::aborted: return kExitStopped;
  }
  return kExitError;
}

run_outcome run_in_frame(run_context& ctx, const char* run_kind, const button_run& run,
                         const run_frame_options& options) {
  ctx.reset_run_state();
  // The log begins before the lock: a run that finds the folder held leaves its record too.
  run_log log(ctx, log_path(ctx, options));
  log.begin(run_kind, options.started_by);
  ctx.set_record(&log);
  std::vector<folder_lock> locks;
  run_ending ending = run_ending::error;
  if (!take_folder_locks(ctx, locks, options, ending)) {
    return end_run(ctx, log, run_outcome{ending, {}, {}});
  }

  begin_run(ctx, run_kind, options.reads_only);
  ending = run_caught(ctx, run);
  if (ctx.has_run_error() && ending != run_ending::error) {
    error_ending(ctx, ctx.run_error());
    ending = run_ending::error;
  }
  if (ending == run_ending::error) note_how_to_set_up(ctx);
  return end_run(ctx, log, run_outcome{ending, ctx.failures.list(), ctx.failures.notes()});
}

}  // namespace karigane
