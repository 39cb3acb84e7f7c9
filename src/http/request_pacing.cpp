// Politeness between requests: see request_pacing.h.
#include "http/request_pacing.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <unordered_map>


namespace karigane {
namespace {

constexpr std::chrono::milliseconds kFirstBackoff{1000};
constexpr std::chrono::milliseconds kLongestBackoff{30000};
// Longest pause between two pumps while waiting; the transfer pumps as often.
constexpr std::chrono::milliseconds kPumpSlice{10};

// The start time of the latest request to each host, in the whole process.
struct host_board {
  std::mutex mutex;
  std::unordered_map<std::string, pacing_clock::time_point> last_request;
};

host_board& board() {
  static host_board b;
  return b;
}

std::string lower_ascii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string address_host(const std::string& url) {
  CURLU* u = curl_url();
  if (u == nullptr) return {};
  std::string host;
  char* part = nullptr;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_HOST, &part, 0) == CURLUE_OK && part != nullptr) {
    host = part;
    curl_free(part);
  }
  curl_url_cleanup(u);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  return lower_ascii(host);
}

bool is_loopback_host(const std::string& host) {
  if (host == "localhost" || host.ends_with(".localhost")) return true;
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
  }
  return false;
}

std::chrono::milliseconds retry_backoff(int repeat) {
  if (repeat <= 0) return std::chrono::milliseconds(0);
  std::chrono::milliseconds wait = kFirstBackoff;
  for (int i = 1; i < repeat && wait < kLongestBackoff; ++i) wait *= 2;
  return std::min(wait, kLongestBackoff);
}

pacing_clock::time_point request_start_time(bool loopback,
                                            std::optional<pacing_clock::time_point> last_request,
                                            pacing_clock::time_point now,
                                            std::chrono::milliseconds interval, int repeat) {
  if (loopback) return now;
  pacing_clock::time_point start = now + retry_backoff(repeat);
  if (last_request) start = std::max(start, *last_request + interval);
  return start;
}

bool wait_for_request_turn(run_context& ctx, const connection_settings& connection,
                           const std::string& url, int repeat) {
  const std::string host = address_host(url);
  if (host.empty() || is_loopback_host(host)) return true;
  const std::chrono::milliseconds interval(std::max(0, connection.access_interval_ms));

  // The turn is taken at once, so that requests from several threads keep the interval too.
  host_board& b = board();
  pacing_clock::time_point turn;
  std::optional<pacing_clock::time_point> previous;
  {
    std::lock_guard lock(b.mutex);
    const auto it = b.last_request.find(host);
    if (it != b.last_request.end()) previous = it->second;
    turn = request_start_time(false, previous, pacing_clock::now(), interval, repeat);
    b.last_request[host] = turn;
  }

  for (auto now = pacing_clock::now(); now < turn; now = pacing_clock::now()) {
    ctx.pump();
    if (ctx.stop_flag()) {
      // No request follows: a run started right after the stop need not wait for it.
      std::lock_guard lock(b.mutex);
      const auto it = b.last_request.find(host);
      if (it != b.last_request.end() && it->second == turn) {
        if (previous) {
          it->second = *previous;
        } else {
          b.last_request.erase(it);
        }
      }
      return false;
    }
    std::this_thread::sleep_for(std::min<pacing_clock::duration>(kPumpSlice, turn - now));
  }
  return true;
}

}  // namespace karigane
