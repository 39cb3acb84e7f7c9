// The shared opening and endings of the runs: see run_ending.h.
#include "run/run_ending.h"

namespace karigane {

void begin_button_run(run_context& ctx) {
  ctx.set_stop_flag(false);
  ctx.reset_run_state();
  ctx.set_label1("", label_colour::blue);
  ctx.pump();
}

void error_ending(run_context& ctx, const std::string& error_msg_s) {
  ctx.set_label1(error_msg_s, label_colour::red);
  ctx.pump();
  ctx.set_controls_sub(true);
  ctx.set_stop_flag(true);
}

void abort_ending(run_context& ctx) {
  ctx.set_label1("処理を中断しました。", label_colour::red);
  ctx.set_controls_sub(true);
  ctx.set_stop_flag(true);
}

}  // namespace karigane
