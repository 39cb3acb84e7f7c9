// The local quote site for benchmarks: the factory data set with a fixed clock, and the server
// running in-process on a free loopback port for the whole benchmark run.
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

}  // namespace karigane::bench
