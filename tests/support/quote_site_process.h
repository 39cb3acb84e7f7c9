// The local quote site as a child process of a test: started on a free port with the given
// options, reachable at url(), steered through its control endpoints (faults, charset, request
// log) and ended with the test (also when the test process dies).
#pragma once

#include <string>
#include <vector>

#include "core/settei.h"

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
  // "http://127.0.0.1:PORT", no trailing "/".
  std::string url() const;

  // Points every quote-site host of the settings at this server.
  void use_in(settei_record& settei) const;

  // Adds a fault rule (mode as in --help; codes comma-separated; count 0 = no limit; path
  // "" = every page path). False when the server refused it.
  bool set_fault(const std::string& mode, const std::string& codes = {}, long count = 0,
                 const std::string& path = {});
  // The command line's rules and charset again, and an empty request log.
  bool reset();
  // Switches the page charset ("utf-8", "shift_jis", "euc-jp") and where it is declared
  // ("header", "meta", "both").
  bool set_encoding(const std::string& charset, const std::string& place = "both");
  // The logged page requests, "path?query" each, in arrival order.
  std::vector<std::string> requests() const;

  // A plain GET of path and query on the server; false when no answer came.
  bool get(const std::string& path_and_query, std::string& body, long* status = nullptr) const;

  // Ends the server (SIGTERM, then SIGKILL if it lingers); the destructor does it too.
  void stop();

 private:
  bool control(const std::string& path_and_query) const;

  int pid_ = -1;
  int port_ = -1;
  int out_fd_ = -1;
};

}  // namespace karigane::testing
