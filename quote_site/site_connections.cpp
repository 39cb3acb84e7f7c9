// A connection's handling: see site_connections.h.
#include "site_connections.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

namespace karigane::quote_site {
namespace {

using steady = std::chrono::steady_clock;

thread_local int serving_socket = -1;

// Waits until the socket is ready for `events` or the deadline passes. A closed or failed
// socket counts as ready: the read or write that follows reports it.
bool wait_until(int fd, short events, steady::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - steady::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
    if (rc > 0) return true;
    if (rc == 0 || errno != EINTR) return false;
  }
}

void address_of(int fd, bool peer, std::string& ip, int& port) {
  sockaddr_storage sa{};
  socklen_t len = sizeof sa;
  auto* any = reinterpret_cast<sockaddr*>(&sa);
  ip.clear();
  port = 0;
  if ((peer ? ::getpeername(fd, any, &len) : ::getsockname(fd, any, &len)) != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (sa.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&sa);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    port = ntohs(in->sin_port);
  } else if (sa.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&sa);
    ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    port = ntohs(in6->sin6_port);
  }
  ip = text;
}

// One connection's byte stream for the library's request handling, kept for the whole
// connection (so that bytes of a pipelined request are not lost between requests). Reads end
// at the current request's deadline, each write at the write time-out.
class connection_stream : public httplib::Stream {
 public:
  connection_stream(int fd, steady::duration write_limit) : fd_(fd), write_limit_(write_limit) {}

  void set_read_deadline(steady::time_point deadline) { read_deadline_ = deadline; }
  // Request bytes already received and not yet read.
  virtual bool has_buffered() const { return next_ < end_; }

  bool is_readable() const override {
    return has_buffered() || wait_until(fd_, POLLIN, read_deadline_);
  }
  bool is_writable() const override {
    return wait_until(fd_, POLLOUT, steady::now() + write_limit_);
  }

  ssize_t read(char* out, size_t size) override {
    if (next_ == end_) {
      const ssize_t got = receive(buffer_, sizeof buffer_);
      if (got <= 0) return got;
      next_ = 0;
      end_ = static_cast<std::size_t>(got);
    }
    const std::size_t n = std::min(size, end_ - next_);
    std::memcpy(out, buffer_ + next_, n);
    next_ += n;
    return static_cast<ssize_t>(n);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    address_of(fd_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    address_of(fd_, false, ip, port);
  }
  socket_t socket() const override { return fd_; }

 protected:
  // Fills `buffer` with what arrives by the read deadline: a count, 0 at the end, -1 on failure.
  virtual ssize_t receive(char* buffer, std::size_t size) = 0;

  int fd_;
  steady::duration write_limit_;
  steady::time_point read_deadline_ = steady::now();

 private:
  char buffer_[4096];
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

class plain_stream final : public connection_stream {
 public:
  using connection_stream::connection_stream;

  ssize_t write(const char* data, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t sent = 0;
    do {
      sent = ::send(fd_, data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
  }

 private:
  ssize_t receive(char* buffer, std::size_t size) override {
    if (!wait_until(fd_, POLLIN, read_deadline_)) return -1;
    ssize_t got = 0;
    do {
      got = ::recv(fd_, buffer, size, 0);
    } while (got < 0 && errno == EINTR);
    return got;
  }
};

// Repeats a non-blocking TLS call while it only waits for the socket, until the deadline.
template <typename Call>
int tls_call(SSL* ssl, int fd, steady::time_point deadline, Call call) {
  for (;;) {
    const int rc = call();
    if (rc > 0) return rc;
    const int err = SSL_get_error(ssl, rc);
    if (err == SSL_ERROR_ZERO_RETURN) return 0;
    const bool waited = (err == SSL_ERROR_WANT_READ && wait_until(fd, POLLIN, deadline)) ||
                        (err == SSL_ERROR_WANT_WRITE && wait_until(fd, POLLOUT, deadline));
    if (!waited) return -1;
  }
}

// Over a non-blocking socket, so that a TLS record sent a byte at a time cannot hold a read
// past its deadline.
class tls_stream final : public connection_stream {
 public:
  tls_stream(int fd, SSL* ssl, steady::duration write_limit)
      : connection_stream(fd, write_limit), ssl_(ssl) {}

  bool has_buffered() const override {
    return connection_stream::has_buffered() || SSL_pending(ssl_) > 0;
  }

  ssize_t write(const char* data, size_t size) override {
    const int n = static_cast<int>(std::min<size_t>(size, INT_MAX));
    return tls_call(ssl_, fd_, steady::now() + write_limit_,
                    [&] { return SSL_write(ssl_, data, n); });
  }

 private:
  ssize_t receive(char* buffer, std::size_t size) override {
    const int n = static_cast<int>(std::min<size_t>(size, INT_MAX));
    return tls_call(ssl_, fd_, read_deadline_, [&] { return SSL_read(ssl_, buffer, n); });
  }

  SSL* ssl_;
};

// The library's server with the connection loop above; Base is httplib::Server or SSLServer.
template <typename Base>
class site_server : public Base {
 public:
  using Base::Base;

  void widen_listen_queue() { ::listen(this->svr_sock_, SOMAXCONN); }

 protected:
  steady::duration request_limit() const {
    return std::chrono::seconds(this->read_timeout_sec_) +
           std::chrono::microseconds(this->read_timeout_usec_);
  }
  steady::duration write_limit() const {
    return std::chrono::seconds(this->write_timeout_sec_) +
           std::chrono::microseconds(this->write_timeout_usec_);
  }

  bool serve_requests(connection_stream& stream,
                      const std::function<void(httplib::Request&)>& setup) {
    bool ok = false;
    for (std::size_t left = this->keep_alive_max_count_;
         left > 0 && this->svr_sock_ != INVALID_SOCKET; --left) {
      const auto idle_until = steady::now() + std::chrono::seconds(this->keep_alive_timeout_sec_);
      if (!stream.has_buffered() && !wait_until(stream.socket(), POLLIN, idle_until)) break;
      stream.set_read_deadline(steady::now() + request_limit());
      bool closed = false;
      ok = this->process_request(stream, left == 1, closed, setup);
      if (!ok || closed) break;
    }
    return ok;
  }

  static void close_connection(int sock) {
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    serving_socket = -1;
  }
};

class plain_site_server final : public site_server<httplib::Server> {
 private:
  bool process_and_close_socket(socket_t sock) override {
    serving_socket = sock;
    plain_stream stream(sock, write_limit());
    const bool ok = serve_requests(stream, nullptr);
    close_connection(sock);
    return ok;
  }
};

class tls_site_server final : public site_server<httplib::SSLServer> {
 public:
  using site_server::site_server;

 private:
  bool process_and_close_socket(socket_t sock) override {
    serving_socket = sock;
    bool ok = false;
    if (SSL* ssl = SSL_new(ssl_context())) {
      ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
      const auto handshake_until = steady::now() + request_limit();
      if (SSL_set_fd(ssl, sock) == 1 &&
          tls_call(ssl, sock, handshake_until, [ssl] { return SSL_accept(ssl); }) == 1) {
        tls_stream stream(sock, ssl, write_limit());
        ok = serve_requests(stream, [ssl](httplib::Request& req) { req.ssl = ssl; });
        if (ok) SSL_shutdown(ssl);
      }
      SSL_free(ssl);
    }
    close_connection(sock);
    return ok;
  }
};

}  // namespace

std::unique_ptr<httplib::Server> make_site_server(const std::string& tls_certificate,
                                                  const std::string& tls_key) {
  if (tls_certificate.empty()) return std::make_unique<plain_site_server>();
  return std::make_unique<tls_site_server>(tls_certificate.c_str(), tls_key.c_str());
}

void widen_listen_queue(httplib::Server& server) {
  if (auto* plain = dynamic_cast<plain_site_server*>(&server)) plain->widen_listen_queue();
  if (auto* tls = dynamic_cast<tls_site_server*>(&server)) tls->widen_listen_queue();
}

int current_connection_socket() { return serving_socket; }

}  // namespace karigane::quote_site
