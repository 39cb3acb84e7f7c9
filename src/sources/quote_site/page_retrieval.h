// Page retrieval: the one routine through which every quote-site page is loaded (formerly
// int_cnt1_sub). It navigates to an address, waits with the front end's message pump turning,
// and returns the body element's outer HTML in the legacy browser form (legacy_html.h),
// repeating the navigation while the result is an error page.
//
//   - ok: `page` holds the page (any HTTP answer with a body, 404 and 403 bodies included,
//     after redirects, decoded by its declared charset).
//   - failed, "インターネットに接続できません。": no answer within ctx.wait_limit_ticks x
//     ctx.tick_ms (800 x 200 ms for the real site); no repeat is made. The same text with
//     stopped when the stop flag was raised during the wait or before the call.
//   - failed, "該当URLをオープンできません。": 11 navigations in a row (the first and 10
//     repeats) gave an error page; `page` holds the last one. A host whose name does not
//     resolve, that refuses the connection or whose certificate does not verify is tried once
//     more at most, without the back-off, and the failure text names it: "名前解決できません:
//     HOST", "接続を拒否されました: HOST:PORT", "証明書を検証できません: HOST". An error page is a
//     page containing "ページを表示できません", "Forbidden" or "ナビゲーションは取り消されました";
//     an address that cannot be reached, a connection that breaks off, an answer of status 400 or
//     above without a body and an address that is not http(s) all give the browser's own error page
//     "ページを表示できません". A page whose markup is nested too deeply or holds too many
//     elements to be parsed in good time (markup_bounds.h) gives that error page and this text
//     at once, without repeats.
//
// A document without a body element gives an empty page. Label4 shows "接続中..." (blue)
// while a transfer is under way and is emptied afterwards. Nothing is thrown. Calls on
// different threads are independent.
//
// Over the run: a page retrieved counts in the run's progress. A page whose last attempt
// failed at the transfer level (no answer within the limit, refused, dropped, an HTTP error
// status) is counted; the fifth such page in a row sets the run-ending fault
// "インターネットからデータを取得できませんでした。", and a page retrieved clears the count.
// A stop counts as neither. Repeats at hosts off this machine back off (request_pacing.h).
#pragma once

#include <string>

#include "core/run_context.h"
#include "core/status.h"
#include "http/connection_settings.h"

namespace karigane {

inline constexpr const char* kNoConnectionText = "インターネットに接続できません。";
inline constexpr const char* kCannotOpenUrlText = "該当URLをオープンできません。";
inline constexpr const char* kSiteSilentText = "インターネットからデータを取得できませんでした。";

struct retrieved_page {
  status outcome;
  std::string page;
};

retrieved_page retrieve_page(run_context& ctx, const connection_settings& connection,
                             const std::string& url);

// True when the page is one of the browser's error pages (the three texts above).
bool is_browser_error_page(const std::string& page);

}  // namespace karigane
