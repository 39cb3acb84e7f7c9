// The in-process quote site of the benchmarks: see bench_site.h.
#include "bench_site.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "data_set_loader.h"

namespace karigane::bench {

const quote_site::market_data& data_set() {
  static const quote_site::market_data data = [] {
    quote_site::market_sources sources;
    std::string error;
    if (!quote_site::load_factory_sources(KARIGANE_DATA_DIR_FOR_BENCH, sources, error)) {
      throw std::runtime_error(error);
    }
    sources.now = *parse_local_time("2013-02-20T16:00");
    return quote_site::market_data(std::move(sources));
  }();
  return data;
}

running_site::running_site() : server(data_set(), quote_site::server_settings{}) {
  std::string error;
  if (!server.bind(error)) throw std::runtime_error(error);
  thread = std::thread([this] { server.serve(); });
  url = "http://127.0.0.1:" + std::to_string(server.port());
}

running_site::~running_site() {
  server.stop();
  thread.join();
}

running_site& site() {
  static running_site s;
  return s;
}

temp_dir::temp_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "karigane-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path = pattern + "/";
}

temp_dir::~temp_dir() { std::filesystem::remove_all(path); }

}  // namespace karigane::bench
