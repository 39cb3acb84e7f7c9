// What the benchmarks share: the local quote site (the factory data set with a fixed clock,
// the server running in-process on a free loopback port for the whole run, over HTTP and over
// HTTPS with a throwaway certificate) and temporary folders.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "market_data.h"
#include "quote_server.h"

namespace karigane::bench {

// The factory data set with the clock at 2013-02-20 16:00.
const quote_site::market_data& data_set();

struct temp_dir;

struct running_site {
  // Under `tls_folder` (non-empty) a certificate is made there and the site speaks HTTPS.
  explicit running_site(const std::string& tls_folder = {});
  ~running_site();

  // A GET of a control endpoint ("/_control/reset"); the body, "" when no answer came.
  std::string control(const std::string& path) const;
  // The connections (under HTTPS: handshakes) that carried pages since the last reset.
  long connections() const;

  std::string certificate;  // the certificate to trust, "" for HTTP
  quote_site::quote_server server;
  std::thread thread;
  std::string url;  // "http://127.0.0.1:PORT" or "https://..."
};

// The one HTTP server of the benchmark run.
running_site& site();
// The one HTTPS server of the benchmark run.
running_site& tls_site();

// A fresh folder below the system's temporary folder, removed with its contents at the end;
// `path` ends in "/".
struct temp_dir {
  temp_dir();
  ~temp_dir();
  std::string path;
};

}  // namespace karigane::bench
