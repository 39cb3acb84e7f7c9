// The command line's view of the run's progress, on standard error (never standard output,
// which carries the status-line texts alone):
//
//   terminal  one line redrawn in place ("\r", then the line, then erase to its end) at most
//             every 200 ms, cut to the terminal's width; cleared before any other text is
//             written to the terminal and when the run ends
//   plain     (--progress, for logs) a line with a time stamp, at most one every 5 seconds
//   none      (--quiet, or standard error not a terminal)
//
// The counts come from the run context's progress source, read when the context pumps.
//
// Threading: pump() from the run's thread; clear() from any thread.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "core/run_context.h"

namespace karigane {

enum class progress_style { none, terminal, plain };

class progress_printer {
 public:
  progress_printer(std::FILE* err, progress_style style);

  progress_style style() const { return style_; }

  // Called at every pump: draws the context's progress when it is due; the context's clock
  // stamps plain lines.
  void pump(const run_context& ctx);
  // Clears the terminal line, before other text goes to the terminal and at the run's end.
  void clear();

  static constexpr std::chrono::milliseconds kRedrawInterval{200};
  static constexpr std::chrono::seconds kPlainInterval{5};

 private:
  void draw_terminal(const progress_snapshot& s);
  void print_plain(const progress_snapshot& s, const local_time& now);
  void write(const std::string& bytes);

  std::FILE* err_;
  progress_style style_;
  // The timing is the pumping thread's; the line shown is guarded (warnings, which clear it,
  // may come from a run's file workers).
  std::chrono::steady_clock::time_point last_{};
  bool printed_any_ = false;
  std::mutex m_;
  bool line_shown_ = false;
  std::string shown_;
};

// The text cut to at most `columns` terminal columns (characters from U+2E80 on take two).
std::string fit_to_columns(const std::string& text, std::size_t columns);

// The terminal columns the text takes, by the same count.
std::size_t text_columns(const std::string& text);

}  // namespace karigane
