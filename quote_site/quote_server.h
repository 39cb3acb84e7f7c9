// The quote site's HTTP(S) server on 127.0.0.1: page requests go to the renderer of their path
// (page_routes.h) through the fault board and the request log; a path that names a page kind
// without its trailing "/" is redirected to it; other paths get a 404 page. With an API key,
// /v2/ paths are the J-Quants API's (jquants_api.h), through the same board and log. The
// control endpoints, never logged:
//   GET /_control/fault?mode=M[&codes=C,C][&count=N][&path=P]   add a fault rule (mode=none
//                                                                removes every rule)
//   GET /_control/reset      the command line's rules and encoding again, an empty log
//   GET /_control/requests   the logged requests, one "path?query" line each
//   GET /_control/connections  how many connections (with TLS: handshakes) carried them
//   GET /_control/encoding?charset=euc-jp[&place=meta]          switch the page charset
// Threaded, one connection at a time per thread: `threads` workers are kept ready and more (up
// to 256) are started while all are busy; a request must arrive within 5 seconds of its first
// byte and an idle keep-alive connection is closed after 5 seconds (site_connections.h), so
// slow and idle clients cannot hold the workers. A "hang" request holds one worker until its
// client hangs up. A port in use by another server is refused. Serving ignores SIGPIPE for
// the whole process, as writing to a vanished client must not end it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fault_rules.h"
#include "jquants_api.h"
#include "market_data.h"
#include "page_encoding.h"

namespace karigane::quote_site {

struct server_settings {
  std::string address = "127.0.0.1";  // the local address to listen on
  int port = 0;                        // 0: any free port
  // HTTPS with this certificate and private key (PEM files); plain HTTP when empty.
  std::string tls_certificate;
  std::string tls_key;
  int threads = 16;  // workers kept ready
  page_encoding encoding;
  std::vector<fault_rule> faults;
  std::string log_file;
  jquants_settings jquants;  // the J-Quants API under /v2/ when it has a key
};

// Why a server could not listen on the address and port, found by a bind of its own: "cannot
// listen on ADDRESS:PORT: " and "the port is already in use by another program" or the
// system's reason; "" when it could.
std::string bind_failure(const std::string& address, int port);

class quote_server {
 public:
  quote_server(const market_data& data, server_settings settings);
  ~quote_server();
  quote_server(const quote_server&) = delete;
  quote_server& operator=(const quote_server&) = delete;

  // Binds the settings' address and port; false with a reason (a port in use among them).
  bool bind(std::string& error);
  int port() const;
  // "127.0.0.1:PORT" (an IPv6 address in brackets) once bound.
  std::string bound_address() const;
  bool serves_https() const { return tls_; }

  // Serves until stop() is called (from another thread or a signal watcher).
  bool serve();
  void stop();

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
  bool tls_ = false;
};

}  // namespace karigane::quote_site
