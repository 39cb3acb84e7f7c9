// The local quote site as a child process of a test: started on a free port with the given
// options, reachable at url(), steered through its control endpoints (faults, charset, request
// log, connection count) and ended with the test (also when the test process dies). With
// "--tls CERT KEY" among the options it speaks HTTPS, and get() trusts CERT.
#pragma once

#include <string>
#include <vector>

#include "sources/quote_site/quote_site_settings.h"

namespace karigane::testing {

class quote_site_process {
 public:
  // Starts karigane-quote-site --port 0 plus `options` (for example {"--now",
  // "2013-02-20T10:00"} or {"--data", folder}) and waits for its port.
  explicit quote_site_process(const std::vector<std::string>& options = {});
  ~quote_site_process();
  quote_site_process(const quote_site_process&) = delete;
  quote_site_process& operator=(const quote_site_process&) = delete;

  bool started() const { return port_ > 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT" ("https://" under --tls, the --bind address in place of
  // 127.0.0.1), no trailing "/".
  std::string url() const;

  // The certificate the server was given under --tls ("" without).
  const std::string& certificate() const { return certificate_; }

  // Points every quote-site host of the settings at this server.
  void use_in(quote_site_settings& site) const;

  // Adds a fault rule (mode as in --help; codes comma-separated; count 0 = no limit; path
  // "" = every page path; skip: matching requests let pass first). False when the server
  // refused it.
  bool set_fault(const std::string& mode, const std::string& codes = {}, long count = 0,
                 const std::string& path = {}, long skip = 0);
  // The command line's rules and charset again, and an empty request log.
  bool reset();
  // Switches the page charset ("utf-8", "shift_jis", "euc-jp") and where it is declared
  // ("header", "meta", "both").
  bool set_encoding(const std::string& charset, const std::string& place = "both");
  // The logged page requests, "path?query" each, in arrival order.
  std::vector<std::string> requests() const;
  // How many connections carried them (-1 when the server did not say).
  long connections() const;

  // A plain GET of path and query on the server, with the given request header lines
  // ("x-api-key: KEY"); false when no answer came.
  bool get(const std::string& path_and_query, std::string& body, long* status = nullptr,
           const std::vector<std::string>& headers = {}) const;

  // Ends the server (SIGTERM, then SIGKILL if it lingers); the destructor does it too.
  void stop();

 private:
  bool control(const std::string& path_and_query) const;

  int pid_ = -1;
  int port_ = -1;
  std::string host_ = "127.0.0.1";
  std::string certificate_;  // under --tls
  int out_fd_ = -1;
};

// A throwaway self-signed certificate for 127.0.0.1 in `folder` (cert.pem, key.pem), made by
// scripts/make-test-cert; false when it could not be made.
bool make_test_certificate(const std::string& folder);

}  // namespace karigane::testing
