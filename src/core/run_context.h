// The run context: everything the engine needs from its front end while a run goes on. The
// stop flag, the message pump, the status line Label1 (text and colour), the progress lines
// Label3 and Label4, the program folder and the clock; and what a run learns on its way: the
// failure tally, the progress source, warnings and a fault that ends the whole run. What a run
// is asked to do comes apart from it, as a request value. The window, the command line and the
// tests each implement it.
//
// Threading: the engine calls it from the thread that runs the run. stop_flag may be set from
// any thread or a signal handler; the tally, the progress and the run-ending fault may be
// reported from a run's file workers.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/failure_tally.h"
#include "core/run_progress.h"

namespace karigane {

enum class label_colour { blue, red, black };

// A record kept of a run (the run log): it is told every status-line text the run shows and
// every warning. Warnings may come from a run's file workers.
class run_record {
 public:
  virtual ~run_record() = default;
  virtual void status_text(std::string_view text, label_colour colour) = 0;
  virtual void warning(std::string_view text) = 0;
};

class run_context {
 public:
  virtual ~run_context() = default;

  // The window's stop flag. It also reads true once a stop was requested (below).
  bool stop_flag() const {
    return stop_.load(std::memory_order_relaxed) != 0 ||
           stop_requested_.load(std::memory_order_relaxed) != 0;
  }
  void set_stop_flag(bool on) { stop_.store(on ? 1 : 0, std::memory_order_relaxed); }
  // A stop that a run's own clearing of the flag as it starts does not undo: the command
  // line's SIGINT and SIGTERM may arrive just before that. It holds for the life of the
  // context. Safe in a signal handler.
  void request_stop() { stop_requested_.store(1, std::memory_order_relaxed); }

  // Lets the front end process pending events once (DoEvents).
  virtual void pump() {}

  // Status and progress lines.
  virtual void set_label1(std::string_view text, label_colour colour);
  virtual void set_label3(std::string_view text, label_colour colour);
  virtual void set_label4(std::string_view text, label_colour colour);
  const std::string& label1() const { return label1_; }
  label_colour label1_colour() const { return label1_colour_; }
  const std::string& label3() const { return label3_; }
  const std::string& label4() const { return label4_; }

  // set_controls_sub: idle (true) or running (false).
  virtual void set_controls_sub(bool enable) { idle_ = enable; }
  bool idle() const { return idle_; }

  // A warning for the person who runs the program, outside the status line (an unknown key in
  // settei.txt, gaps in the stored series): the command line prints it on standard error, the
  // run log records it. The context keeps every warning of the run.
  virtual void warn(std::string_view text);
  std::vector<std::string> warnings() const;

  // The record of the run in hand (the run frame sets it, and clears it once the run's file
  // workers are done); nullptr: none. Every new non-empty Label1 text and every warning
  // reaches it.
  void set_record(run_record* record);

  // The clock; the front end may fix it (tests, --now).
  virtual local_time now() const { return system_now(); }

  // The program folder, with "/" at the end: messages name the files below it relative to it.
  // The factory folder holds the data installed with the program ("" when none was found).
  std::string program_folder;
  std::string factory_folder;

  // Page retrieval's wait: ticks of tick_ms each (800 x 200 ms for the real site).
  int wait_limit_ticks = 800;
  int tick_ms = 200;

  // What the run could not do while going on (see failure_tally.h); cleared when a run starts.
  failure_tally failures;
  // How far the run is (see run_progress.h).
  run_progress progress;

  // A fault that ends the whole run with the error ending: a stored file that cannot be
  // written, a site that stopped answering. The first message is kept. Drivers leave their
  // loops as they do for a stop (run_interrupted), and the run shows the message in red.
  void set_run_error(const std::string& message);
  bool has_run_error() const { return run_error_set_.load(std::memory_order_acquire); }
  std::string run_error() const;
  // A stop or a run-ending fault: the loops of a run test this.
  bool run_interrupted() const { return stop_flag() || has_run_error(); }
  // Clears the tally, the run-ending fault and the count of failed pages, and begins a new
  // run serial; the runs call it as they start.
  void reset_run_state();

  // Changes at every reset_run_state and differs between contexts: what page retrieval keeps
  // for one run (its open connections) is recognised by it.
  std::uint64_t run_serial() const { return run_serial_.load(std::memory_order_relaxed); }

  // Pages in a row whose retrieval failed at the transfer level (no answer, refused, dropped,
  // an HTTP error); page retrieval counts them and clears the count when a page arrives.
  // Returns the new count.
  int count_failed_transfer() { return transfers_failed_in_a_row_.fetch_add(1) + 1; }
  void clear_failed_transfers() { transfers_failed_in_a_row_.store(0); }

  // The run-ending fault of a file that cannot be written: "ファイルを書き込めません: " and the
  // path relative to the program folder.
  void set_write_error(const std::string& path);
  // A path below the program folder written relative to it; any other as it is.
  std::string relative_path(const std::string& path) const;

 protected:
  std::string label1_, label3_, label4_;
  label_colour label1_colour_ = label_colour::blue;
  label_colour label3_colour_ = label_colour::blue;
  label_colour label4_colour_ = label_colour::blue;
  bool idle_ = true;

 private:
  std::atomic<int> stop_{0};
  std::atomic<int> stop_requested_{0};
  mutable std::mutex run_error_mutex_;
  std::vector<std::string> warnings_;
  run_record* record_ = nullptr;
  std::string run_error_;
  std::atomic<bool> run_error_set_{false};
  std::atomic<std::uint64_t> run_serial_{next_run_serial()};
  std::atomic<int> transfers_failed_in_a_row_{0};

  static std::uint64_t next_run_serial();
  run_record* current_record() const;
};

}  // namespace karigane
