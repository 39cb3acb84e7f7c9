// The run context's default label handling: it keeps the latest text of each line.
#include "core/run_context.h"

namespace karigane {

void run_context::set_label1(std::string_view text, label_colour colour) {
  label1_.assign(text);
  label1_colour_ = colour;
}

void run_context::set_label3(std::string_view text, label_colour colour) {
  label3_.assign(text);
  label3_colour_ = colour;
}

void run_context::set_label4(std::string_view text, label_colour colour) {
  label4_.assign(text);
  label4_colour_ = colour;
}

}  // namespace karigane
