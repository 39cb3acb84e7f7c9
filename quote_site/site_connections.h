// The quote site's handling of a connection, in place of the HTTP library's own loop, so that a
// slow or idle client cannot hold a worker for long: the library times out each read on its
// own, so a client sending a header byte a second kept a worker for ever. Here
//   - a request (its line and header, with a TLS connection the handshake before the first)
//     must arrive within the server's read time-out of its first byte;
//   - a keep-alive connection idle for the keep-alive time-out is closed;
//   - a write that cannot proceed for the write time-out ends the connection.
// The time-outs and the keep-alive count are the library's settings (set_read_timeout,
// set_keep_alive_timeout, set_write_timeout, set_keep_alive_max_count). Requests are then
// handled by the library as before.
#pragma once

#include <httplib.h>

#include <memory>
#include <string>

namespace karigane::quote_site {

// A server for plain HTTP, or HTTPS when a certificate and key (PEM files) are given.
std::unique_ptr<httplib::Server> make_site_server(const std::string& tls_certificate,
                                                  const std::string& tls_key);

// Once bound: lets as many connections as the system allows wait to be accepted. The library
// listens with a queue of 5, so a burst of connections made new clients retry after a second.
void widen_listen_queue(httplib::Server& server);

// The socket of the connection the calling worker thread is serving; -1 outside one.
int current_connection_socket();

}  // namespace karigane::quote_site
