// The in-process quote site of the benchmarks: see bench_site.h.
#include "bench_site.h"

#include <curl/curl.h>
#include <stdlib.h>

#include <cstdlib>

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

namespace {

quote_site::server_settings settings_for(const std::string& tls_folder) {
  quote_site::server_settings settings;
  if (tls_folder.empty()) return settings;
  const std::string command = std::string(KARIGANE_MAKE_TEST_CERT) + " '" + tls_folder + "' >/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("scripts/make-test-cert failed");
  settings.tls_certificate = tls_folder + "cert.pem";
  settings.tls_key = tls_folder + "key.pem";
  return settings;
}

std::size_t append_body(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

}  // namespace

running_site::running_site(const std::string& tls_folder)
    : server(data_set(), settings_for(tls_folder)) {
  std::string error;
  if (!server.bind(error)) throw std::runtime_error(error);
  thread = std::thread([this] { server.serve(); });
  if (!tls_folder.empty()) certificate = tls_folder + "cert.pem";
  url = (certificate.empty() ? "http://127.0.0.1:" : "https://127.0.0.1:") + std::to_string(server.port());
}

std::string running_site::control(const std::string& path) const {
  std::string body;
  CURL* h = curl_easy_init();
  const std::string address = url + path;
  curl_easy_setopt(h, CURLOPT_URL, address.c_str());
  curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, append_body);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  if (!certificate.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, certificate.c_str());
  if (curl_easy_perform(h) != CURLE_OK) body.clear();
  curl_easy_cleanup(h);
  return body;
}

long running_site::connections() const { return std::atol(control("/_control/connections").c_str()); }

running_site::~running_site() {
  server.stop();
  thread.join();
}

running_site& site() {
  static running_site s;
  return s;
}

running_site& tls_site() {
  static temp_dir certificate_folder;
  static running_site s(certificate_folder.path);
  return s;
}

temp_dir::temp_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "karigane-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path = pattern + "/";
}

temp_dir::~temp_dir() { std::filesystem::remove_all(path); }

}  // namespace karigane::bench
