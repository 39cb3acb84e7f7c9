// Page retrieval: see page_retrieval.h.
#include "sources/quote_site/page_retrieval.h"

#include <exception>

#include "core/text.h"
#include "http/page_charset.h"
#include "http/transfer.h"
#include "markup/legacy_html.h"

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

enum class attempt_end { page, timed_out, refused };

// Pages in a row that failed at the transfer level before the run ends: the site has stopped
// answering, and each further page would wait its full limit.
constexpr int kFailedPagesEndingTheRun = 5;

// A page that failed at the transfer level; the fifth in a row ends the run.
void note_failed_transfer(run_context& ctx) {
  if (ctx.count_failed_transfer() >= kFailedPagesEndingTheRun) ctx.set_run_error(kSiteSilentText);
}

void note_page_retrieved(run_context& ctx) {
  ctx.clear_failed_transfers();
  ctx.progress.page_fetched();
}

// A failed transfer that another attempt will not mend soon (transfer.h).
bool lasting(const classified_failure& f) {
  return f.fault == transfer_fault::name || f.fault == transfer_fault::refused ||
         f.fault == transfer_fault::certificate;
}

// One navigation, attempt `repeat` + 1 at the page: the page (or error page) goes to `page`,
// which a document without a body element leaves untouched. `transfer_failed` tells whether
// no answer came or the answer was an HTTP error, `fault` why a transfer failed.
attempt_end navigate(run_context& ctx, const connection_settings& connection,
                     const std::string& url, int repeat, std::string& page, bool& transfer_failed,
                     classified_failure& fault) {
  transfer_result r = load(ctx, connection, {url, {}, repeat});
  transfer_failed = r.end != transfer_end::answered || r.status >= 400;
  fault = r.fault;
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
  if (legacy_body_html(decode_page(r.body, r.content_type), page) == body_result::refused) {
    page = browser_error_page("the page's markup is nested too deeply or holds too many elements");
    return attempt_end::refused;
  }
  return attempt_end::page;
}

}  // namespace

bool is_browser_error_page(const std::string& page) {
  return contains(page, "ページを表示できません") || contains(page, "Forbidden") ||
         contains(page, "ナビゲーションは取り消されました");
}

retrieved_page retrieve_page(run_context& ctx, const connection_settings& connection,
                             const std::string& url) {
  retrieved_page result;
  std::string& page = result.page;
  // A stop requested before the call ends it at once, as a stop during the wait would.
  if (ctx.stop_flag()) {
    result.outcome = status(status::stopped, kNoConnectionText);
    return result;
  }
  int lasting_fault_at = 0;  // the attempt that met a lasting fault
  for (int attempt = 1;; ++attempt) {
    attempt_end end = attempt_end::page;
    bool transfer_failed = false;
    classified_failure fault;
    // The one repeat after a lasting fault comes without the back-off.
    const int repeat = attempt == lasting_fault_at + 1 ? 0 : attempt - 1;
    try {
      end = navigate(ctx, connection, url, repeat, page, transfer_failed, fault);
    } catch (const std::exception& e) {
      page = browser_error_page(e.what());
    } catch (...) {
      page = browser_error_page("unexpected failure");
    }
    if (end == attempt_end::timed_out) {
      if (ctx.stop_flag()) {  // a stop is no failure of the site
        result.outcome = status(status::stopped, kNoConnectionText);
      } else {
        result.outcome = status::failure(kNoConnectionText);
        note_failed_transfer(ctx);
      }
      return result;
    }
    if (end == attempt_end::refused) {
      // The site answered, so the run of silent pages ends; the same page again would be
      // refused again, so there is no repeat.
      ctx.clear_failed_transfers();
      result.outcome = status::failure(kCannotOpenUrlText);
      return result;
    }
    if (!is_browser_error_page(page)) {
      note_page_retrieved(ctx);
      return result;
    }
    // A name that does not resolve, a refused connection, a certificate that does not verify:
    // tried once more at most, then the page fails naming the host and the cause.
    if (lasting(fault)) {
      if (lasting_fault_at > 0) {
        result.outcome = status::failure(fault.text);
        note_failed_transfer(ctx);
        return result;
      }
      lasting_fault_at = attempt;
      continue;
    }
    if (attempt > kRepeats) {
      result.outcome = status::failure(kCannotOpenUrlText);
      if (transfer_failed) note_failed_transfer(ctx);
      return result;
    }
  }
}

}  // namespace karigane
