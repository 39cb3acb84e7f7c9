// What the benchmarks share: the local quote site (the factory data set with a fixed clock,
// the server running in-process on a free loopback port for the whole run) and temporary
// folders.
#pragma once

#include <string>
#include <thread>

#include "market_data.h"
#include "quote_server.h"

namespace karigane::bench {

// The factory data set with the clock at 2013-02-20 16:00.
const quote_site::market_data& data_set();

struct running_site {
  running_site();
  ~running_site();
  quote_site::quote_server server;
  std::thread thread;
  std::string url;  // "http://127.0.0.1:PORT"
};

// The one server of the benchmark run.
running_site& site();

// A fresh folder below the system's temporary folder, removed with its contents at the end;
// `path` ends in "/".
struct temp_dir {
  temp_dir();
  ~temp_dir();
  std::string path;
};

}  // namespace karigane::bench
