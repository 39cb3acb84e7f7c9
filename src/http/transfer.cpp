// One GET with the pumped wait: see transfer.h. The transfer runs on curl's multi
// interface on the caller's thread; the loop polls the sockets in short slices and pumps the
// front end between them, so no second thread touches the run context. The multi handle holds
// the run's open connections between pages, and the one easy handle its cookies and TLS
// sessions, as the browser control kept them.
#include "http/transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "http/request_pacing.h"

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

// Open connections of the run on this thread: one per host (and the few a redirect adds).
constexpr long kMaxOpenConnections = 8;

struct run_connections {
  std::uint64_t run_serial = 0;
  std::unique_ptr<CURLM, multi_deleter> multi;
  std::unique_ptr<CURL, easy_deleter> easy;
};

// The handles of the context's current run on this thread; a new run starts with none open.
// The easy handle is never left in the multi handle between calls.
run_connections* connections_for(run_context& ctx) {
  thread_local run_connections c;
  if (!c.multi || !c.easy || c.run_serial != ctx.run_serial()) {
    c.easy.reset();
    c.multi.reset();
    c.multi.reset(curl_multi_init());
    c.easy.reset(curl_easy_init());
    c.run_serial = ctx.run_serial();
    if (!c.multi || !c.easy) return nullptr;
    curl_multi_setopt(c.multi.get(), CURLMOPT_MAXCONNECTS, kMaxOpenConnections);
    CURL* h = c.easy.get();
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0 (compatible; Karigane/1.0)");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, write_body);
  }
  return &c;
}

// The system's certificates (curl's own bundle and folder) and the settings' certificate file
// in place of the bundle: the system's folder holds every certificate of the bundle.
void set_trusted_certificates(CURL* h, const connection_settings& connection) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  const bool known = info != nullptr && info->age >= CURLVERSION_NINTH;
  const char* bundle = known ? info->cainfo : nullptr;
  const char* folder = known ? info->capath : nullptr;
  curl_easy_setopt(h, CURLOPT_CAINFO,
                   connection.ca_certificate_file.empty()
                       ? bundle
                       : connection.ca_certificate_file.c_str());
  curl_easy_setopt(h, CURLOPT_CAPATH, folder);
}

// The request's own headers as curl takes them.
struct header_list_deleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
std::unique_ptr<curl_slist, header_list_deleter> header_list(const http_request& request) {
  curl_slist* list = nullptr;
  for (const auto& [name, value] : request.headers) {
    curl_slist* longer = curl_slist_append(list, (name + ": " + value).c_str());
    if (longer == nullptr) break;
    list = longer;
  }
  return std::unique_ptr<curl_slist, header_list_deleter>(list);
}

// The port an address names, or its scheme's ("" when it has neither).
std::string address_port(const std::string& url) {
  CURLU* u = curl_url();
  if (u == nullptr) return {};
  std::string port;
  char* part = nullptr;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_PORT, &part, CURLU_DEFAULT_PORT) == CURLUE_OK && part != nullptr) {
    port = part;
    curl_free(part);
  }
  curl_url_cleanup(u);
  return port;
}

// The name curl says it could not resolve ("Could not resolve proxy: NAME"), else the
// address's host: a proxy's name is not the site's.
std::string unresolved_name(const std::string& curl_text, const std::string& url) {
  const std::size_t colon = curl_text.rfind(": ");
  if (curl_text.rfind("Could not resolve", 0) == 0 && colon != std::string::npos) {
    std::string name = curl_text.substr(colon + 2);
    while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
    if (!name.empty()) return name;
  }
  return address_host(url);
}

// The run's progress knows a page is waited for while a request is out (its turn included).
class page_wait_mark {
 public:
  explicit page_wait_mark(run_context& ctx) : ctx_(ctx) { ctx_.progress.page_wait(true); }
  ~page_wait_mark() { ctx_.progress.page_wait(false); }
  page_wait_mark(const page_wait_mark&) = delete;
  page_wait_mark& operator=(const page_wait_mark&) = delete;

 private:
  run_context& ctx_;
};

}  // namespace

classified_failure classify_transfer_failure(int curl_code, long os_errno,
                                             const std::string& curl_text, const std::string& url) {
  switch (static_cast<CURLcode>(curl_code)) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return {transfer_fault::name, "名前解決できません: " + unresolved_name(curl_text, url)};
    case CURLE_COULDNT_CONNECT:
      if (os_errno != ECONNREFUSED) break;
      return {transfer_fault::refused,
              "接続を拒否されました: " + address_host(url) + ":" + address_port(url)};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return {transfer_fault::certificate, "証明書を検証できません: " + address_host(url)};
    default:
      break;
  }
  return {transfer_fault::transient, {}};
}

transfer_result load(run_context& ctx, const connection_settings& connection,
                     const http_request& request) {
  const std::string& url = request.url;
  const page_wait_mark waiting(ctx);
  transfer_result result;
  init_curl_once();
  run_connections* connections = connections_for(ctx);
  if (connections == nullptr) {
    result.failure = "the HTTP client could not be started";
    return result;
  }
  if (!wait_for_request_turn(ctx, connection, url, request.repeat)) {
    result.end = transfer_end::stopped;
    return result;
  }
  CURLM* multi = connections->multi.get();
  CURL* h = connections->easy.get();
  // The options of this page; those of every page were set with the handle.
  body_sink sink{&result.body};
  char error_text[CURL_ERROR_SIZE] = {0};
  const std::string no_proxy = no_proxy_list();
  const bool loopback = is_loopback_host(address_host(url));
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  // Compressed pages, but not brotli: servers compress it at a cost that outweighs the gain.
  // On loopback compressing costs both sides more time than it saves.
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, loopback ? nullptr : "gzip, deflate");
  curl_easy_setopt(h, CURLOPT_NOPROXY, no_proxy.c_str());
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_text);
  set_trusted_certificates(h, connection);
  const auto headers = header_list(request);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  if (curl_multi_add_handle(multi, h) != CURLM_OK) {
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
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
    curl_multi_perform(multi, &running);
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
    curl_multi_timeout(multi, &curl_wants_ms);
    long long slice = std::min<long long>(kPollSliceMs, limit_ms - elapsed);
    if (curl_wants_ms >= 0) slice = std::min<long long>(slice, curl_wants_ms);
    if (slice > 0) curl_multi_poll(multi, nullptr, 0, static_cast<int>(slice), nullptr);
  }
  ctx.set_label4("", label_colour::blue);

  if (done) {
    CURLcode code = CURLE_OK;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
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
      long os_errno = 0;
      curl_easy_getinfo(h, CURLINFO_OS_ERRNO, &os_errno);
      result.fault = classify_transfer_failure(code, os_errno, result.failure, url);
      result.body.clear();
    }
  }
  // A transfer left unfinished (a stop, the time limit) closes its connection here.
  curl_multi_remove_handle(multi, h);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
  return result;
}

}  // namespace karigane
