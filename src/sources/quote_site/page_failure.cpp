// Page outcomes in the failure tally: see page_failure.h.
#include "sources/quote_site/page_failure.h"

namespace karigane {

bool page_failed(const run_context& ctx, const status& page) {
  return !ctx.run_interrupted() && page == status::failed;
}

void note_page_outcome(run_context& ctx, const std::string& code, const std::string& kind,
                       const std::string& where, const status& page) {
  if (page_failed(ctx, page)) ctx.failures.add({code, kind, where, page.message()});
}

}  // namespace karigane
