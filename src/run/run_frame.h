// The frame of every run of the buttons, on the command line and in the window (collection,
// update, adjusted prices, and any run added later): it takes the program folder's lock for
// the whole run, starts the run with a clean run state (failure tally, run-ending fault) and
// the progress source started, removes the temporary files that killed runs left behind, runs
// the button's run, and hands the front end the outcome: how the run ended and what it could
// not do. A run that met a run-ending fault ends with the error ending and that fault's message.
//
// Every run passes through begin_run and end_run in run_frame.cpp: the place where a record of
// the run (a log) is opened and closed.
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
};

struct run_frame_options {
  // Wait while another run holds the folder instead of ending at once; a stop ends the wait
  // with the abort ending.
  bool wait_for_lock = false;
  // Called once when the wait begins (the command line says so on standard error).
  std::function<void()> waiting;
};

// One of the button handlers (m_dl_start_cmd_Click, renew_start_cmd_Click, ...).
using button_run = std::function<run_ending(run_context&)>;

run_outcome run_in_frame(run_context& ctx, const char* run_kind, const button_run& run,
                         const run_frame_options& options = {});

// The red message of a run that finds the folder held by another run.
std::string folder_in_use_message(const std::string& program_folder);

}  // namespace karigane
