// A run context for unit tests: records every status-line text with its colour, every switch
// between idle and running, and can raise the stop flag at a chosen moment.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "run/settings.h"

namespace karigane::testing {

struct label_event {
  std::string text;
  label_colour colour;
};

class recording_context : public run_context {
 public:
  // A program folder (ending in "/") for the run; the clock stays the system's unless fixed.
  explicit recording_context(std::string folder = {});

  void pump() override;
  void set_label1(std::string_view text, label_colour colour) override;
  void set_controls_sub(bool enable) override;
  local_time now() const override;

  void fix_now(const local_time& t) { fixed_now_ = t; has_fixed_now_ = true; }

  // Raises the stop flag on the n-th pump from now (1 = the next one).
  void stop_after_pumps(long n) { stop_at_pump_ = pumps_ + n; }
  // Raises the stop flag when Label1 shows a text containing `part`.
  void stop_when_label1_contains(std::string part) { stop_on_text_ = std::move(part); }
  // Calls `step` at every pump (for example to raise the stop flag once files have changed).
  void at_every_pump(std::function<void()> step) { at_pump_ = std::move(step); }

  // The program folder's settings at their defaults (the runs read settei.txt themselves).
  program_settings settings;
  const program_layout& layout() const { return settings.layout; }

  std::vector<label_event> label1_history;
  std::vector<bool> controls_history;  // arguments of set_controls_sub, in order
  long pumps() const { return pumps_; }

  // The non-empty Label1 texts, in order.
  std::vector<std::string> label1_texts() const;

 private:
  long pumps_ = 0;
  long stop_at_pump_ = -1;
  std::string stop_on_text_;
  std::function<void()> at_pump_;
  local_time fixed_now_{};
  bool has_fixed_now_ = false;
};

}  // namespace karigane::testing
