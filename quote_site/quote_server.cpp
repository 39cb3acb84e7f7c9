// The quote site's server: see quote_server.h.
#include "quote_server.h"

#include <httplib.h>
#include <netdb.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "connection_control.h"
#include "json_text.h"
#include "page_routes.h"
#include "request_log.h"
#include "site_connections.h"
#include "worker_pool.h"

namespace karigane::quote_site {
namespace {

constexpr const char* kControlPrefix = "/_control/";

page_query query_of(const httplib::Request& req) {
  page_query q;
  q.path = req.path;
  for (const auto& [key, value] : req.params) q.params.emplace(key, value);  // first value wins
  return q;
}

param_map params_of(const httplib::Request& req) {
  param_map m;
  for (const auto& [key, value] : req.params) m.emplace(key, value);
  return m;
}

std::string query_part(const std::string& target) {
  const auto q = target.find('?');
  return q == std::string::npos ? std::string() : target.substr(q);
}

// The reason phrases of the statuses the fault modes answer with.
std::string status_text(int status) {
  switch (status) {
    case 403: return "Forbidden";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    default: return "Service Unavailable";
  }
}

page_answer status_page(int status) {
  page_answer a;
  a.status = status;
  a.title = std::to_string(status) + " " + status_text(status);
  a.body = "<h1>" + a.title + "</h1>\n";
  return a;
}

page_answer not_found_page() {
  page_answer a;
  a.status = 404;
  a.title = "ページが見つかりません - Karigane ファイナンス";
  a.body = "<div id=\"main\">\n<h1>ページが見つかりません</h1>\n"
           "<p>お探しのページは移動したか、削除された可能性があります。</p>\n</div>\n";
  return a;
}

// The log's mark of the connection this worker thread serves: the server runs each accepted
// connection as one task of its pool, from the TLS handshake to the close.
thread_local std::uint64_t this_connection_mark = 0;

// Workers beyond --threads are started while every worker is busy, up to this many in all.
constexpr std::size_t kMostWorkers = 256;
// A request (with TLS, the handshake too) must arrive within this many seconds of its first
// byte; an idle keep-alive connection is closed after as many; so is one whose writes stall.
constexpr time_t kConnectionTimeoutSeconds = 5;

// Reuses an address left in TIME_WAIT, but unlike the library's default (SO_REUSEPORT) never
// shares a port with a server that is listening on it.
void listening_socket_options(int socket) {
  int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

std::string host_and_port(const std::string& address, int port) {
  const bool v6 = address.find(':') != std::string::npos;
  return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace

std::string bind_failure(const std::string& address, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const std::string cannot = "cannot listen on " + host_and_port(address, port) + ": ";
  if (getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    return cannot + "not a numeric address";
  }
  std::string reason;
  const int fd = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
  if (fd < 0) {
    reason = cannot + std::strerror(errno);
  } else {
    listening_socket_options(fd);
    if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0) {
      reason = cannot + (errno == EADDRINUSE ? "the port is already in use by another program"
                                             : std::strerror(errno));
    }
    close(fd);
  }
  freeaddrinfo(found);
  return reason;
}

namespace {

page_answer forbidden_page() {
  page_answer a;
  a.status = 403;
  a.title = "403 Forbidden";
  a.body = "<h1>Forbidden</h1>\n<p>You don't have permission to access this page.</p>\n";
  return a;
}

// Deep enough to hold a conforming parser for minutes: every element is still open when the
// next begins.
page_answer nested_page() {
  page_answer a;
  a.title = "nested";
  for (int k = 0; k < 64000; ++k) a.body += "<font class=\"f" + std::to_string(k) + "\">";
  a.body += "x";
  return a;
}

}  // namespace

struct quote_server::impl {
  impl(const market_data& data, server_settings s)
      : settings(std::move(s)),
        routes(site_routes(data)),
        faults(settings.faults),
        log(settings.log_file),
        api(data, settings.jquants),
        encoding(settings.encoding),
        server(make_site_server(settings.tls_certificate, settings.tls_key)) {}

  server_settings settings;
  route_table routes;
  fault_board faults;
  request_log log;
  jquants_api api;
  std::mutex encoding_mutex;
  page_encoding encoding;
  std::atomic<bool> stopping{false};
  std::unique_ptr<httplib::Server> server;
  int bound_port = -1;

  page_encoding current_encoding() {
    std::lock_guard lock(encoding_mutex);
    return encoding;
  }

  void send_page(httplib::Response& res, const page_answer& answer) {
    const page_encoding e = current_encoding();
    res.status = answer.status;
    res.set_content(page_document(answer, e), content_type(e));
  }

  void control(const httplib::Request& req, httplib::Response& res) {
    const std::string what = req.path.substr(std::string(kControlPrefix).size());
    std::string error;
    if (what == "fault") {
      fault_rule rule;
      if (!fault_rule_from_params(params_of(req), rule, error)) {
        res.status = 400;
        res.set_content(error + "\n", "text/plain; charset=utf-8");
        return;
      }
      faults.add(std::move(rule));
    } else if (what == "reset") {
      faults.reset();
      log.clear();
      std::lock_guard lock(encoding_mutex);
      encoding = settings.encoding;
    } else if (what == "requests") {
      std::string text;
      for (const auto& line : log.lines()) text += line + "\n";
      res.set_content(text, "text/plain; charset=utf-8");
      return;
    } else if (what == "connections") {
      res.set_content(std::to_string(log.connections()) + "\n", "text/plain; charset=utf-8");
      return;
    } else if (what == "encoding") {
      page_encoding e = current_encoding();
      if ((req.has_param("charset") && !parse_charset(req.get_param_value("charset"), e.charset)) ||
          (req.has_param("place") && !parse_charset_place(req.get_param_value("place"), e.place))) {
        res.status = 400;
        res.set_content("charset is utf-8, shift_jis or euc-jp; place is header, meta or both\n",
                        "text/plain; charset=utf-8");
        return;
      }
      std::lock_guard lock(encoding_mutex);
      encoding = e;
    } else {
      res.status = 404;
      res.set_content("unknown control " + what + "\n", "text/plain; charset=utf-8");
      return;
    }
    res.set_content("ok\n", "text/plain; charset=utf-8");
  }

  // The modes that hold or cut the connection, for pages and the API alike; true when the
  // request has been taken care of.
  bool connection_fault(fault_mode mode) {
    if (mode == fault_mode::hang) {
      const int fd = current_connection_socket();
      wait_for_hang_up(fd, stopping);
      shut_connection(fd);
      return true;
    }
    if (mode == fault_mode::drop) {
      shut_connection(current_connection_socket());
      return true;
    }
    return false;
  }

  void api_request(const httplib::Request& req, httplib::Response& res) {
    log.add(req.target.empty() ? req.path : req.target, this_connection_mark);
    const param_map params = params_of(req);
    const fault_mode mode = faults.take(req.path, jquants_api::codes(params));
    if (connection_fault(mode)) return;
    api_answer answer;
    if (mode == fault_mode::forbidden || fault_status(mode) != 0) {
      answer.status = mode == fault_mode::forbidden ? 403 : fault_status(mode);
      answer.body = json_message(status_text(answer.status));
    } else {
      const bool keyed = req.has_header("x-api-key");
      const std::string key = req.get_header_value("x-api-key");
      answer = api.answer(req.method, req.path, params, keyed ? &key : nullptr);
    }
    res.status = answer.status;
    res.set_content(answer.body, "application/json");
  }

  void page(const httplib::Request& req, httplib::Response& res) {
    log.add(req.target.empty() ? req.path : req.target, this_connection_mark);
    const auto route = find_route(routes, req.path);
    if (route == routes.end()) {
      if (routes.find(req.path + "/") != routes.end()) {
        res.set_redirect(req.path + "/" + query_part(req.target), 301);
        return;
      }
      send_page(res, not_found_page());
      return;
    }
    page_query query = query_of(req);
    std::vector<std::string> rule_codes;
    const fault_mode mode = faults.take(req.path, route->second->codes(query), &rule_codes);
    if (connection_fault(mode)) return;
    if (fault_status(mode) != 0) {
      send_page(res, status_page(fault_status(mode)));
      return;
    }
    switch (mode) {
      case fault_mode::forbidden:
        send_page(res, forbidden_page());
        return;
      case fault_mode::unlisted:
        if (req.path == "/search/") {
          query.left_out = rule_codes;
          send_page(res, route->second->render(query, content_fault::none));
          return;
        }
        send_page(res, route->second->render(query, content_fault::no_stock));
        return;
      case fault_mode::nested:
        send_page(res, nested_page());
        return;
      default:
        send_page(res, route->second->render(query, content_part(mode)));
    }
  }
};

quote_server::quote_server(const market_data& data, server_settings settings)
    : impl_(std::make_unique<impl>(data, std::move(settings))),
      tls_(!impl_->settings.tls_certificate.empty()) {
  impl* self = impl_.get();
  const auto threads = static_cast<std::size_t>(std::max(2, self->settings.threads));
  httplib::Server& server = *self->server;
  server.new_task_queue = [threads] {
    return new worker_pool(threads, kMostWorkers, [] { this_connection_mark = 0; });
  };
  server.set_keep_alive_max_count(100);
  server.set_read_timeout(kConnectionTimeoutSeconds);
  server.set_keep_alive_timeout(kConnectionTimeoutSeconds);
  server.set_write_timeout(kConnectionTimeoutSeconds);
  // Without it small answers wait for the client's delayed acknowledgement (40 ms each).
  server.set_tcp_nodelay(true);
  server.set_socket_options(listening_socket_options);
  server.set_pre_routing_handler([self](const httplib::Request& req, httplib::Response& res) {
    if (req.path.rfind(kControlPrefix, 0) == 0) {
      self->control(req, res);
    } else if (self->api.enabled() && req.path.rfind(kApiPrefix, 0) == 0) {
      self->api_request(req, res);
    } else {
      self->page(req, res);
    }
    return httplib::Server::HandlerResponse::Handled;
  });
}

quote_server::~quote_server() { stop(); }

bool quote_server::bind(std::string& error) {
  if (!impl_->log.file_ok()) {
    error = impl_->settings.log_file + ": cannot be opened for appending";
    return false;
  }
  const server_settings& s = impl_->settings;
  if (!impl_->server->is_valid()) {
    error = "cannot use the certificate " + s.tls_certificate + " with the key " + s.tls_key;
    return false;
  }
  if (s.port == 0) {
    impl_->bound_port = impl_->server->bind_to_any_port(s.address);
  } else if (impl_->server->bind_to_port(s.address, s.port)) {
    impl_->bound_port = s.port;
  }
  if (impl_->bound_port <= 0) {
    error = bind_failure(s.address, s.port);
    if (error.empty()) error = "cannot listen on " + host_and_port(s.address, s.port);
    return false;
  }
  widen_listen_queue(*impl_->server);
  return true;
}

int quote_server::port() const { return impl_->bound_port; }

std::string quote_server::bound_address() const {
  return host_and_port(impl_->settings.address, impl_->bound_port);
}

bool quote_server::serve() {
  signal(SIGPIPE, SIG_IGN);
  return impl_->server->listen_after_bind();
}

void quote_server::stop() {
  impl_->stopping = true;
  impl_->server->stop();
}

}  // namespace karigane::quote_site
