// The main window's run context: the engine's status lines land in the window's labels, its
// idle/running switch in the window's controls, and its message pump in Qt's event loop.
//
// Threading: every run executes on the GUI thread inside a button's handler, as the engine's
// single-threaded model has it. pump() lets Qt process pending events (repaints, the mouse-down
// on "停止", closing the window), at most once per 10 ms: the engine may call it millions of
// times in a run, and page retrieval calls it between its 10 ms socket polls. The progress bar
// is brought up to date from the run's progress source every 200 ms.
#pragma once

#include <chrono>
#include <optional>

#include "core/run_context.h"

namespace karigane {

class main_window;

class main_window_context : public run_context {
 public:
  explicit main_window_context(main_window& window);

  void pump() override;
  void set_label1(std::string_view text, label_colour colour) override;
  void set_label3(std::string_view text, label_colour colour) override;
  void set_label4(std::string_view text, label_colour colour) override;
  void set_controls_sub(bool enable) override;
  local_time now() const override;

  // Fixes the clock (tests, KARIGANE_NOW); the period lists are preset from it.
  void fix_now(const local_time& t) { fixed_now_ = t; }

  // Shortest interval between two passes through Qt's event processing.
  static constexpr std::chrono::milliseconds kPumpInterval{10};
  static constexpr std::chrono::milliseconds kProgressInterval{200};

 private:
  main_window& window_;
  std::optional<local_time> fixed_now_;
  std::chrono::steady_clock::time_point last_pump_{};
  std::chrono::steady_clock::time_point last_progress_{};
};

}  // namespace karigane
