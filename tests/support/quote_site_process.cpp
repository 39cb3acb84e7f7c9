// The quote site child process: see quote_site_process.h.
#include "support/quote_site_process.h"

#include "support/process.h"

#include <curl/curl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace karigane::testing {
namespace {

// Loading the data set under the sanitizers takes a while.
constexpr int kStartTimeoutMs = 60000;

std::size_t append_body(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

}  // namespace

quote_site_process::quote_site_process(const std::vector<std::string>& options) {
  for (std::size_t i = 0; i + 1 < options.size(); ++i) {
    if (options[i] == "--tls") certificate_ = options[i + 1];
    if (options[i] == "--bind") host_ = options[i + 1];
  }
  int out_pipe[2];
  if (::pipe(out_pipe) != 0) return;
  std::vector<std::string> args{KARIGANE_QUOTE_SITE_PATH, "--port", "0"};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out_pipe[1], 1);
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  if (pid < 0) {
    ::close(out_pipe[0]);
    return;
  }
  pid_ = pid;
  out_fd_ = out_pipe[0];
  // The first line is "listening on ADDRESS:PORT", " (https)" after it under --tls.
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{out_fd_, POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    char buf[256];
    const ssize_t got = ::read(out_fd_, buf, sizeof buf);
    if (got <= 0) break;
    line.append(buf, static_cast<std::size_t>(got));
  }
  const auto colon = line.rfind(':', line.find('\n'));
  if (line.rfind("listening on " + host_ + ":", 0) == 0 && colon != std::string::npos) {
    port_ = std::atoi(line.c_str() + colon + 1);
  }
  if (port_ <= 0) stop();
}

quote_site_process::~quote_site_process() { stop(); }

std::string quote_site_process::url() const {
  return (certificate_.empty() ? "http://" : "https://") + host_ + ":" + std::to_string(port_);
}

void quote_site_process::use_in(quote_site_settings& site) const {
  site.kabuka_site_url = url();
  site.mobile_site_url = url();
  site.old_table_url = url();
  site.profile_site_url = url();
  site.index_site_url = url();
}

bool quote_site_process::get(const std::string& path_and_query, std::string& body,
                             long* status, const std::vector<std::string>& headers) const {
  body.clear();
  if (port_ <= 0) return false;
  CURL* h = curl_easy_init();
  if (h == nullptr) return false;
  const std::string address = url() + path_and_query;
  curl_easy_setopt(h, CURLOPT_URL, address.c_str());
  curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 30000L);
  if (!certificate_.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, certificate_.c_str());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, append_body);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  curl_slist* header_list = nullptr;
  for (const auto& line : headers) header_list = curl_slist_append(header_list, line.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, header_list);
  const CURLcode rc = curl_easy_perform(h);
  long code = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
  curl_easy_cleanup(h);
  curl_slist_free_all(header_list);
  if (status != nullptr) *status = code;
  return rc == CURLE_OK;
}

bool quote_site_process::control(const std::string& path_and_query) const {
  std::string body;
  long status = 0;
  return get(path_and_query, body, &status) && status == 200;
}

bool quote_site_process::set_fault(const std::string& mode, const std::string& codes, long count,
                                   const std::string& path, long skip) {
  std::string q = "/_control/fault?mode=" + mode;
  if (!codes.empty()) q += "&codes=" + codes;
  if (count > 0) q += "&count=" + std::to_string(count);
  if (!path.empty()) q += "&path=" + path;
  if (skip > 0) q += "&skip=" + std::to_string(skip);
  return control(q);
}

bool quote_site_process::reset() { return control("/_control/reset"); }

bool quote_site_process::set_encoding(const std::string& charset, const std::string& place) {
  return control("/_control/encoding?charset=" + charset + "&place=" + place);
}

std::vector<std::string> quote_site_process::requests() const {
  std::vector<std::string> lines;
  std::string body;
  if (!get("/_control/requests", body)) return lines;
  std::size_t start = 0;
  while (start < body.size()) {
    std::size_t end = body.find('\n', start);
    if (end == std::string::npos) end = body.size();
    lines.push_back(body.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

long quote_site_process::connections() const {
  std::string body;
  long status = 0;
  if (!get("/_control/connections", body, &status) || status != 200 || body.empty()) return -1;
  return std::atol(body.c_str());
}

bool make_test_certificate(const std::string& folder) {
  return run_process(KARIGANE_MAKE_TEST_CERT, {folder}).exit_status == 0;
}

void quote_site_process::stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
      ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
      if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ended) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
  }
  if (out_fd_ >= 0) {
    ::close(out_fd_);
    out_fd_ = -1;
  }
  port_ = -1;
}

}  // namespace karigane::testing
