// The recording run context of the unit tests: see recording_context.h.
#include "support/recording_context.h"

#include "support/temp_folder.h"

namespace karigane::testing {

recording_context::recording_context(std::string folder) {
  program_folder = std::move(folder);
  factory_folder = KARIGANE_DATA_DIR_FOR_TESTS;
  settings = default_settings(program_folder, factory_folder);
}

void recording_context::pump() {
  ++pumps_;
  if (stop_at_pump_ >= 0 && pumps_ >= stop_at_pump_) set_stop_flag(true);
  if (at_pump_) at_pump_();
}

void recording_context::set_label1(std::string_view text, label_colour colour) {
  run_context::set_label1(text, colour);
  label1_history.push_back({std::string(text), colour});
  if (!stop_on_text_.empty() && text.find(stop_on_text_) != std::string_view::npos) {
    set_stop_flag(true);
  }
}

void recording_context::set_controls_sub(bool enable) {
  run_context::set_controls_sub(enable);
  controls_history.push_back(enable);
}

local_time recording_context::now() const {
  return has_fixed_now_ ? fixed_now_ : run_context::now();
}

std::vector<std::string> recording_context::label1_texts() const {
  std::vector<std::string> out;
  for (const auto& e : label1_history) {
    if (!e.text.empty()) out.push_back(e.text);
  }
  return out;
}

}  // namespace karigane::testing
