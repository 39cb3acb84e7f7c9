// int_cnt1_sub: see page_retrieval.h.
#include "fetch/page_retrieval.h"

#include <exception>

#include "core/text.h"
#include "fetch/legacy_html.h"
#include "fetch/page_charset.h"
#include "fetch/page_transfer.h"

namespace karigane {
namespace {

constexpr int kRepeats = 10;

// The page the old browser control showed when it could not load an address.
std::string browser_error_page(const std::string& detail) {
  std::string page = "<BODY><H1>ページを表示できません</H1><P>";
  for (char c : detail) {
    if (c == '&') {
      page += "&amp;";
    } else if (c == '<') {
      page += "&lt;";
    } else if (c == '>') {
      page += "&gt;";
    } else {
      page.push_back(c);
    }
  }
  page += "</P></BODY>";
  return page;
}

enum class attempt_end { page, timed_out };

// One navigation, attempt `repeat` + 1 at the page: the page (or error page) goes to `page`,
// which a document without a body element leaves untouched.
attempt_end navigate(run_context& ctx, const std::string& url, int repeat, std::string& page) {
  transfer_result r = load_page(ctx, url, repeat);
  switch (r.end) {
    case transfer_end::timed_out:
    case transfer_end::stopped:
      return attempt_end::timed_out;
    case transfer_end::failed:
      page = browser_error_page(r.failure);
      return attempt_end::page;
    case transfer_end::answered:
      break;
  }
  if (r.body.empty() && r.status >= 400) {
    page = browser_error_page("HTTP " + std::to_string(r.status));
    return attempt_end::page;
  }
  legacy_body_html(decode_page(r.body, r.content_type), page);
  return attempt_end::page;
}

}  // namespace

bool is_browser_error_page(const std::string& page) {
  return contains(page, "ページを表示できません") || contains(page, "Forbidden") ||
         contains(page, "ナビゲーションは取り消されました");
}

void int_cnt1_sub(run_context& ctx, const std::string& url, std::string& page,
                  std::string& error_msg_s) {
  error_msg_s.clear();
  // A stop requested before the call ends it at once, as a stop during the wait would.
  if (ctx.stop_flag()) {
    error_msg_s = kNoConnectionText;
    return;
  }
  for (int attempt = 1;; ++attempt) {
    attempt_end end = attempt_end::page;
    try {
      end = navigate(ctx, url, attempt - 1, page);
    } catch (const std::exception& e) {
      page = browser_error_page(e.what());
    } catch (...) {
      page = browser_error_page("unexpected failure");
    }
    if (end == attempt_end::timed_out) {
      error_msg_s = kNoConnectionText;
      return;
    }
    if (!is_browser_error_page(page)) return;
    if (attempt > kRepeats) {
      error_msg_s = kCannotOpenUrlText;
      return;
    }
  }
}

}  // namespace karigane
