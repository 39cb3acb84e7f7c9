// One navigation with the pumped wait: see page_transfer.h. The transfer runs on curl's multi
// interface on the caller's thread; the loop polls the sockets in short slices and pumps the
// front end between them, so no second thread touches the run context.
#include "fetch/page_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace karigane {
namespace {

// Longest pause between two pumps; short enough for the window to stay responsive.
constexpr int kPollSliceMs = 10;

constexpr const char* kBusyText = "接続中...";

void init_curl_once() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct body_sink {
  std::string* body;
  bool too_large = false;
};

std::size_t write_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto* sink = static_cast<body_sink*>(user);
  const std::size_t n = size * count;
  if (sink->body->size() + n > kMaxPageBytes) {
    sink->too_large = true;
    return 0;  // makes curl end the transfer with a write error
  }
  sink->body->append(data, n);
  return n;
}

// Loopback addresses never go through a proxy, whatever the environment says; the
// environment's own exceptions are kept.
std::string no_proxy_list() {
  std::string list = "127.0.0.1,localhost,::1";
  for (const char* name : {"no_proxy", "NO_PROXY"}) {
    const char* v = std::getenv(name);
    if (v != nullptr && *v != '\0') {
      list += ',';
      list += v;
      break;
    }
  }
  return list;
}

struct easy_deleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct multi_deleter {
  void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};

}  // namespace

transfer_result load_page(run_context& ctx, const std::string& url) {
  transfer_result result;
  init_curl_once();
  std::unique_ptr<CURL, easy_deleter> easy(curl_easy_init());
  std::unique_ptr<CURLM, multi_deleter> multi(curl_multi_init());
  if (!easy || !multi) {
    result.failure = "the HTTP client could not be started";
    return result;
  }
  body_sink sink{&result.body};
  char error_text[CURL_ERROR_SIZE] = {0};
  const std::string no_proxy = no_proxy_list();
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  // Compressed pages, but not brotli: servers compress it at a cost that outweighs the gain.
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(h, CURLOPT_NOPROXY, no_proxy.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0 (compatible; Karigane/1.0)");
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, write_body);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_text);
  if (curl_multi_add_handle(multi.get(), h) != CURLM_OK) {
    result.failure = "the HTTP client could not start the transfer";
    return result;
  }

  using clock = std::chrono::steady_clock;
  const auto start = clock::now();
  const long long tick_ms = std::max(1, ctx.tick_ms);
  const long long limit_ms = std::max(0LL, static_cast<long long>(ctx.wait_limit_ticks) * tick_ms);
  long long ticks_shown = 0;
  bool done = false;
  for (;;) {
    int running = 0;
    curl_multi_perform(multi.get(), &running);
    if (running == 0) {
      done = true;
      break;
    }
    ctx.pump();
    if (ctx.stop_flag()) {
      result.end = transfer_end::stopped;
      break;
    }
    const long long elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - start).count();
    if (elapsed >= limit_ms) {
      result.end = transfer_end::timed_out;
      break;
    }
    if (elapsed / tick_ms > ticks_shown) {
      ticks_shown = elapsed / tick_ms;
      ctx.set_label4(kBusyText, label_colour::blue);
    }
    // Sleep until socket activity, curl's own next deadline (name resolution runs on a
    // thread curl does not poll for) or the next pump, whichever comes first.
    long curl_wants_ms = -1;
    curl_multi_timeout(multi.get(), &curl_wants_ms);
    long long slice = std::min<long long>(kPollSliceMs, limit_ms - elapsed);
    if (curl_wants_ms >= 0) slice = std::min<long long>(slice, curl_wants_ms);
    if (slice > 0) curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(slice), nullptr);
  }
  ctx.set_label4("", label_colour::blue);

  if (done) {
    CURLcode code = CURLE_OK;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
      if (msg->msg == CURLMSG_DONE) code = msg->data.result;
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (code == CURLE_OK && status > 0) {
      result.end = transfer_end::answered;
      result.status = status;
      const char* type = nullptr;
      curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type);
      if (type != nullptr) result.content_type = type;
    } else {
      result.end = transfer_end::failed;
      result.failure = sink.too_large ? std::string("the page is too large")
                       : error_text[0] != '\0' ? std::string(error_text)
                                               : std::string(curl_easy_strerror(code));
      result.body.clear();
    }
  }
  curl_multi_remove_handle(multi.get(), h);
  return result;
}

}  // namespace karigane
