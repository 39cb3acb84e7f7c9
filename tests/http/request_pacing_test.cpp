// Politeness towards the quote site: the decision when a request may start, and the waits
// themselves against the local quote site bound to an address of this machine that is not
// loopback, and on loopback.
#include "http/request_pacing.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "sources/quote_site/page_retrieval.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"

namespace karigane {
namespace {

using namespace std::chrono_literals;
using testing::quote_site_process;
using testing::recording_context;

const std::string kQuery = "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d";

TEST(RequestPacing, DecidesWhenARequestMayStart) {
  for (const char* host : {"127.0.0.1", "127.255.0.9", "::1", "::ffff:127.0.0.2", "localhost", "a.localhost"}) {
    EXPECT_TRUE(is_loopback_host(host)) << host;
  }
  for (const char* host : {"128.0.0.1", "192.0.2.2", "fd00::2", "::ffff:10.0.0.1", "info.finance.yahoo.co.jp",
                           "127.example.com", "localhost.example.com", ""}) {
    EXPECT_FALSE(is_loopback_host(host)) << host;
  }
  EXPECT_EQ(address_host("http://127.0.0.1:8080/history/?code=1301"), "127.0.0.1");
  EXPECT_EQ(address_host("https://[::1]:8443/"), "::1");
  EXPECT_EQ(address_host("http://Info.Finance.Yahoo.co.jp/history/"), "info.finance.yahoo.co.jp");
  EXPECT_EQ(address_host("not an address"), "");

  // The back-off before repeat n of a failed page: 1 s doubling, at most 30 s.
  const std::vector<std::pair<int, std::chrono::milliseconds>> backoffs{
      {0, 0ms}, {1, 1s}, {2, 2s}, {3, 4s}, {4, 8s}, {5, 16s}, {6, 30s}, {10, 30s}, {100000, 30s}};
  for (const auto& [repeat, wait] : backoffs) EXPECT_EQ(retry_backoff(repeat), wait) << repeat;

  const pacing_clock::time_point now{100s};
  struct start_case {
    bool loopback;
    std::optional<pacing_clock::time_point> last;
    int repeat;
    pacing_clock::time_point start;
  };
  const std::vector<start_case> cases{
      {false, std::nullopt, 0, now},          // the first request to a host
      {false, now - 100ms, 0, now + 400ms},   // the rest of the interval
      {false, now - 2s, 0, now},              // the interval has passed
      {false, now + 300ms, 0, now + 800ms},   // after a turn another thread has taken
      {false, now - 100ms, 2, now + 2s},      // the back-off is longer than the interval
      {false, now - 2s, 1, now + 1s},         // the back-off alone
      {true, now - 1ms, 0, now},              // loopback waits for nothing,
      {true, now - 1ms, 6, now},              // not even between repeats
  };
  for (const auto& c : cases) {
    EXPECT_EQ(request_start_time(c.loopback, c.last, now, 500ms, c.repeat), c.start)
        << c.loopback << " " << c.repeat;
  }
}

// An IPv4 address of this machine that is not loopback, or "".
std::string address_off_loopback() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::string found;
  for (ifaddrs* a = list; a != nullptr && found.empty(); a = a->ifa_next) {
    if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET || (a->ifa_flags & IFF_UP) == 0) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
    if ((ntohl(in->sin_addr.s_addr) >> 24) == 127) continue;
    char text[INET_ADDRSTRLEN] = {0};
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr) found = text;
  }
  freeifaddrs(list);
  return found;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One page through page retrieval: its text, or `page` kept when none came, and its message.
void fetch(recording_context& ctx, const connection_settings& connection, const std::string& url,
           std::string& page, std::string& msg) {
  retrieved_page r = retrieve_page(ctx, connection, url);
  if (!r.page.empty() || r.outcome.is_ok()) page = std::move(r.page);
  msg = r.outcome.message();
}

TEST(RequestPacing, WaitsBetweenRequestsToAHostOffThisMachineOnly) {
  std::string page;
  std::string msg;
  quote_site_process local({"--now", "2013-02-20T16:00"});
  ASSERT_TRUE(local.started());
  {
    // Loopback: three pages under an interval of a minute come at once.
    recording_context ctx;
    connection_settings connection;
    connection.access_interval_ms = 60000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) {
      fetch(ctx, connection, local.url() + kQuery, page, msg);
      ASSERT_EQ(msg, "");
    }
    EXPECT_LT(seconds_since(start), 30.0);
  }

  const std::string address = address_off_loopback();
  if (address.empty()) GTEST_SKIP() << "this machine has no address besides loopback";
  quote_site_process site({"--now", "2013-02-20T16:00", "--bind", address});
  ASSERT_TRUE(site.started()) << address;
  recording_context ctx;
  connection_settings connection;
  connection.access_interval_ms = 300;

  // Three pages: two intervals at least.
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) {
    fetch(ctx, connection, site.url() + kQuery, page, msg);
    ASSERT_EQ(msg, "");
  }
  EXPECT_GE(seconds_since(start), 0.6);
  EXPECT_EQ(site.requests().size(), 3u);

  // A page refused once is asked for again after the first back-off.
  ASSERT_TRUE(site.set_fault("forbidden", "", 1));
  start = std::chrono::steady_clock::now();
  fetch(ctx, connection, site.url() + kQuery, page, msg);
  EXPECT_EQ(msg, "");
  EXPECT_GE(seconds_since(start), 1.0);
  EXPECT_EQ(site.requests().size(), 5u);

  // A stop ends the wait for the next turn at once, and no request is made.
  connection.access_interval_ms = 60000;
  ctx.stop_after_pumps(5);
  start = std::chrono::steady_clock::now();
  page = "kept";
  fetch(ctx, connection, site.url() + kQuery, page, msg);
  EXPECT_EQ(msg, "インターネットに接続できません。");
  EXPECT_EQ(page, "kept");
  EXPECT_LT(seconds_since(start), 30.0);
  EXPECT_EQ(site.requests().size(), 5u);
  EXPECT_FALSE(ctx.has_run_error());
}

}  // namespace
}  // namespace karigane
