// The main window's run context: see main_window_context.h.
#include "window/main_window_context.h"

#include <QCoreApplication>
#include <QLabel>

#include "window/main_window.h"

namespace karigane {

main_window_context::main_window_context(main_window& window) : window_(window) {}

void main_window_context::pump() {
  const auto t = std::chrono::steady_clock::now();
  if (t - last_pump_ < kPumpInterval) return;
  last_pump_ = t;
  if (t - last_progress_ >= kProgressInterval) {
    last_progress_ = t;
    window_.show_progress(progress.snapshot());
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void main_window_context::set_label1(std::string_view text, label_colour colour) {
  run_context::set_label1(text, colour);
  window_.show_status(window_.Label1, text, colour);
}

void main_window_context::set_label3(std::string_view text, label_colour colour) {
  run_context::set_label3(text, colour);
  window_.show_status(window_.Label3, text, colour);
}

void main_window_context::set_label4(std::string_view text, label_colour colour) {
  run_context::set_label4(text, colour);
  window_.show_status(window_.Label4, text, colour);
}

void main_window_context::set_controls_sub(bool enable) {
  run_context::set_controls_sub(enable);
  window_.apply_controls(enable);
}


local_time main_window_context::now() const {
  return fixed_now_ ? *fixed_now_ : run_context::now();
}

}  // namespace karigane
