// The frame of every run of the buttons, on the command line and in the window (collection,
// update, adjusted prices, export, and any run added later): it takes the locks of the program
// folder and of the database folder (folder_lock.h; shared for a run that only reads) for the
// whole run, starts the run with a clean run state (failure tally, run-ending fault) and
// the progress source started, removes the temporary files that killed runs left behind, runs
// the button's run, and hands the front end the outcome: how the run ended and what it could
// not do. A run that met a run-ending fault ends with the error ending and that fault's message.
//
// Every run leaves a record in the run log (run_log.h): from its start, before the lock, to its
// ending and exit status. As it starts, a run removes the logs older than 30 days and warns of
// the keys of settei.txt it does not know.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/failure_tally.h"
#include "core/run_context.h"
#include "run/run_ending.h"

namespace karigane {

// The run kinds as the progress source names them.
inline constexpr const char* kRunCollection = "収集";
inline constexpr const char* kRunUpdate = "更新";
inline constexpr const char* kRunAdjust = "調整後株価";
inline constexpr const char* kRunExport = "エクスポート";

struct run_outcome {
  run_ending ending = run_ending::completed;
  // What the run could not do, in the order it was noted (kept whatever the ending).
  std::vector<run_failure> failures;
  // What the person may do about it (failure_tally notes), after the failures.
  std::vector<std::string> notes;
};

struct run_frame_options {
  // Wait while another run holds the folder instead of ending at once; a stop ends the wait
  // with the abort ending. The wait begins with a warning.
  bool wait_for_lock = false;
  // What started the run, for its log: the command line as given, or the window's button and
  // the controls it read.
  std::string started_by;
  // The log file; empty: log/karigane-YYYYMMDD.log in the program folder.
  std::string log_file;
  // The run only reads the folders (export): it takes their locks shared, works on a read-only
  // folder and removes nothing (old logs, temporary files of killed runs).
  bool reads_only = false;
};

// The exit status of a run on the command line (the log records it for every run): 0
// completed with nothing failed, 3 completed with failures, 1 the error ending, 130 stopped.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitCompletedWithFailures = 3;
inline constexpr int kExitStopped = 130;
int run_exit_status(const run_outcome& outcome);

// One of the button handlers (m_dl_start_cmd_Click, renew_start_cmd_Click, ...).
using button_run = std::function<run_ending(run_context&)>;

run_outcome run_in_frame(run_context& ctx, const char* run_kind, const button_run& run,
                         const run_frame_options& options = {});

// The red message of a run that finds a folder (the program folder or the database) held by
// another run.
std::string folder_in_use_message(const std::string& folder);

}  // namespace karigane
