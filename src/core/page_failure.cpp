// Page results in the failure tally: see page_failure.h.
#include "core/page_failure.h"

namespace karigane {
namespace {

// The number of an "error bNN:" message, or -1 for any other text.
int b_message_number(const std::string& message) {
  constexpr std::string_view prefix = "error b";
  if (message.compare(0, prefix.size(), prefix) != 0) return -1;
  int number = 0;
  std::size_t i = prefix.size();
  for (; i < message.size() && message[i] >= '0' && message[i] <= '9'; ++i) {
    number = number * 10 + (message[i] - '0');
  }
  return i == prefix.size() ? -1 : number;
}

}  // namespace

bool page_failed(const run_context& ctx, std::int16_t error_flag_s,
                 const std::string& error_msg_s) {
  if (ctx.run_interrupted()) return false;
  const int b = b_message_number(error_msg_s);
  if (b >= 0) return b >= 10;
  return error_flag_s != kFalse;
}

void note_page_result(run_context& ctx, const std::string& code, const std::string& kind,
                      const std::string& where, std::int16_t error_flag_s,
                      const std::string& error_msg_s) {
  if (page_failed(ctx, error_flag_s, error_msg_s))
    ctx.failures.add({code, kind, where, error_msg_s});
}

}  // namespace karigane
