// The checked page fetch loop: see checked_page_fetch.h.
#include "sources/quote_site/checked_page_fetch.h"

#include <algorithm>
#include <string_view>

#include "sources/quote_site/page_retrieval.h"

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

page_reading accepted_page(const std::string& message) {
  if (message.empty()) return {page_verdict::accepted, status::ok};
  const int b = b_message_number(message);
  const bool no_data = b >= 0 && b < 10;
  return {page_verdict::accepted, status(no_data ? status::missing : status::failed, message)};
}

page_reading refused_page(page_verdict verdict, const std::string& message) {
  return {verdict, status::failure(message)};
}

status fetch_checked_page(run_context& ctx, const connection_settings& connection,
                          const std::string& url, int budget, const page_reader& read) {
  status last;
  do {
    ctx.pump();
    retrieved_page fetched = retrieve_page(ctx, connection, url);
    if (!fetched.outcome) return fetched.outcome;
    ctx.pump();
    const page_reading reading = read(fetched.page);
    last = reading.outcome;
    switch (reading.verdict) {
      case page_verdict::accepted:
        budget = 0;
        break;
      case page_verdict::refused:
        --budget;
        break;
      case page_verdict::refused_capped:
        budget = std::min(budget, 3) - 1;
        break;
    }
    ctx.pump();
  } while (budget >= 1);
  return last;
}

}  // namespace karigane
