// One HTTP(S) GET with libcurl (redirects followed, only http and https), while the caller's
// message pump keeps turning, Label4 shows "接続中..." on every wait tick the transfer is still
// under way, and the wait ends at the run context's limit (wait_limit_ticks x tick_ms) or as
// soon as the stop flag is raised. Pages of the quote site and requests of an API alike go
// through here.
//
// Connections are kept open for the whole run (one set per thread, renewed when the context's
// run serial changes), so a run opens one connection, and one TLS handshake, per host unless
// the server closes it. HTTPS hosts are verified against the system's certificates and the
// connection settings' extra certificate file. Before the transfer the request waits for its
// turn (request_pacing.h); compressed bodies are asked for only from hosts not on loopback.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/run_context.h"
#include "http/connection_settings.h"

namespace karigane {

enum class transfer_end {
  answered,   // an HTTP answer arrived completely (any status)
  failed,     // no connection, a connection that broke off, a bad address
  timed_out,  // the wait limit passed first
  stopped,    // the stop flag was raised during the wait
};

// A failed transfer that an attempt soon after will not mend: the host's name does not resolve
// (nor a proxy's), the host refuses the connection, its certificate does not verify (or the
// certificate file cannot be read). Anything else (a connection that broke off, no route yet)
// may pass and is `transient`.
enum class transfer_fault { none, name, refused, certificate, transient };

struct classified_failure {
  transfer_fault fault = transfer_fault::transient;
  // For a lasting fault, the line that names it: "名前解決できません: HOST",
  // "接続を拒否されました: HOST:PORT", "証明書を検証できません: HOST".
  std::string text;
};

// The fault of a transfer that failed with curl's code `curl_code`, the connection's errno
// `os_errno` and curl's own text, at `url`.
classified_failure classify_transfer_failure(int curl_code, long os_errno,
                                             const std::string& curl_text, const std::string& url);

struct transfer_result {
  transfer_end end = transfer_end::failed;
  long status = 0;           // HTTP status of the last answer (after redirects)
  std::string content_type;  // its Content-Type header
  std::string body;          // its body, undecoded
  std::string failure;       // what went wrong, for the error page
  // Why it failed, when it did (end failed).
  classified_failure fault{transfer_fault::none, {}};
};

struct http_request {
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;  // besides curl's own
  // The attempts at the same request that failed before this one; they set the back-off.
  int repeat = 0;
};

// Bodies beyond this size are refused as a failed transfer.
inline constexpr std::size_t kMaxPageBytes = 64u << 20;

transfer_result load(run_context& ctx, const connection_settings& connection,
                     const http_request& request);

}  // namespace karigane
