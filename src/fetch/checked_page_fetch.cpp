// The checked page fetch loop: see checked_page_fetch.h.
#include "fetch/checked_page_fetch.h"

#include "fetch/page_retrieval.h"

namespace karigane {

bool fetch_while_budget_lasts(run_context& ctx, const std::string& url, std::int16_t budget,
                              const checked_page_extractor& extract, std::int16_t& error_flag_s,
                              std::string& error_msg_s) {
  std::int16_t error_loop_no_s = budget;
  do {
    std::string page;
    ctx.pump();
    std::string fetch_message;
    int_cnt1_sub(ctx, url, page, fetch_message);
    if (!fetch_message.empty()) {
      error_flag_s = kTrue;
      error_msg_s = fetch_message;
      return false;
    }
    ctx.pump();
    extract(page, error_loop_no_s);
    ctx.pump();
  } while (error_loop_no_s >= 1);
  return true;
}

}  // namespace karigane
