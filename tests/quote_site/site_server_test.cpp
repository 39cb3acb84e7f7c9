// The karigane-quote-site program: its command line, fault rules, control endpoints, request
// log and data folders, over real HTTP on loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "core/cp932.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/temp_folder.h"

namespace karigane::testing {
namespace {

const std::string kPage1301 = "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d";
const std::string kPage1332 = "/history/?code=1332&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d";

std::string h1(const std::string& page) {
  const auto a = page.find("<h1>");
  return a == std::string::npos ? "" : page.substr(a + 4, page.find("</h1>", a) - a - 4);
}

TEST(QuoteSiteProgram, DocumentsItsOptionsAndRefusesBadOnes) {
  const auto help = run_process(KARIGANE_QUOTE_SITE_PATH, {"--help"});
  EXPECT_EQ(help.exit_status, 0);
  for (const char* word : {"--port", "--bind", "--tls", "--data", "--seed", "--now", "--fault", "wrong-period",
                           "--charset", "/_control/requests", "/_control/connections", "stocks.csv"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(run_process(KARIGANE_QUOTE_SITE_PATH, {}).exit_status, 2);
  EXPECT_EQ(run_process(KARIGANE_QUOTE_SITE_PATH, {"--port", "0", "--tls", "cert.pem"}).exit_status, 2);
  EXPECT_EQ(run_process(KARIGANE_QUOTE_SITE_PATH, {"--port", "0", "--fault", "explode"}).exit_status, 2);
  EXPECT_EQ(run_process(KARIGANE_QUOTE_SITE_PATH, {"--port", "0", "--now", "yesterday"}).exit_status, 2);
  const auto missing = run_process(KARIGANE_QUOTE_SITE_PATH, {"--port", "0", "--data", "/nonexistent/folder"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_NE(missing.err.find("/nonexistent/folder"), std::string::npos);
  const auto no_key = run_process(KARIGANE_QUOTE_SITE_PATH, {"--port", "0", "--tls", "/nonexistent/cert.pem",
                                                            "/nonexistent/key.pem"});
  EXPECT_EQ(no_key.exit_status, 1);
  EXPECT_NE(no_key.err.find("/nonexistent/cert.pem"), std::string::npos);

  // A port in use is refused: a second site there would mix its pages with the first one's.
  quote_site_process first;
  ASSERT_TRUE(first.started());
  const auto busy = run_process(KARIGANE_QUOTE_SITE_PATH, {"--port", std::to_string(first.port())});
  EXPECT_EQ(busy.exit_status, 1);
  EXPECT_NE(busy.err.find("127.0.0.1:" + std::to_string(first.port()) + ": the port is already in use"),
            std::string::npos)
      << busy.err;
}

TEST(QuoteSiteProgram, AppliesFaultRulesByCodeAndCountAndLogsEveryRequest) {
  quote_site_process site({"--now", "2013-02-20T16:00", "--fault", "mode=no-stock&codes=1332"});
  ASSERT_TRUE(site.started());
  std::string page;
  ASSERT_TRUE(site.get(kPage1301, page));
  const std::string name = h1(page);
  EXPECT_EQ(name, "(株)極洋");
  ASSERT_TRUE(site.get(kPage1332, page));
  EXPECT_NE(page.find("該当する銘柄はありません"), std::string::npos);

  ASSERT_TRUE(site.set_fault("wrong-stock", "1301", 2));
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(site.get(kPage1301, page));
    EXPECT_NE(h1(page), name);
  }
  ASSERT_TRUE(site.get(kPage1301, page));
  EXPECT_EQ(h1(page), name);  // the rule has expired

  long status = 0;
  ASSERT_TRUE(site.set_fault("forbidden", "1301", 1, "/stock/historicaldata"));
  ASSERT_TRUE(site.get(kPage1301, page, &status));
  EXPECT_EQ(status, 200);  // another path
  ASSERT_TRUE(site.get("/stock/historicaldata?code=1301.T", page, &status));
  EXPECT_EQ(status, 403);
  EXPECT_NE(page.find("Forbidden"), std::string::npos);

  ASSERT_TRUE(site.set_fault("drop", "998407"));
  EXPECT_FALSE(site.get("/history/?code=998407", page));

  const std::vector<std::string> expected{kPage1301, kPage1332, kPage1301, kPage1301, kPage1301, kPage1301,
                                          "/stock/historicaldata?code=1301.T", "/history/?code=998407"};
  EXPECT_EQ(site.requests(), expected);

  // Every get() above came on a connection of its own.
  EXPECT_EQ(site.connections(), static_cast<long>(expected.size()));

  // Reset: the command line's rule again, an empty log.
  ASSERT_TRUE(site.reset());
  EXPECT_TRUE(site.requests().empty());
  EXPECT_EQ(site.connections(), 0);
  ASSERT_TRUE(site.get("/history/?code=998407", page));
  ASSERT_TRUE(site.get(kPage1332, page));
  EXPECT_NE(page.find("該当する銘柄はありません"), std::string::npos);
  // mode=none removes every rule.
  ASSERT_TRUE(site.set_fault("none"));
  ASSERT_TRUE(site.get(kPage1332, page));
  EXPECT_EQ(page.find("該当する銘柄はありません"), std::string::npos);

  EXPECT_FALSE(site.set_fault("explode"));
  ASSERT_TRUE(site.get("/_control/fault?mode=hang&count=x", page, &status));
  EXPECT_EQ(status, 400);
}

TEST(QuoteSiteProgram, ServesADataFolder) {
  temp_folder data;
  write_bytes(data.path() + "stocks.csv",
              "code,market_letter,market_name,name\n1301,t,JQS,\"Tom & Jerry, Inc.\"\n2000,q,マザーズ,𠮷野家\n");
  write_bytes(data.path() + "splits.csv", "code,date,before,after\n1301,20130110,1,100\n");
  write_bytes(data.path() + "prices/1301.csv",
              "date,open,high,low,close,volume\n20130109,50000,51000,49000,50500,1200\n"
              "20130110,505,510,500,508,120000\n");
  quote_site_process site({"--data", data.path(), "--now", "2013-02-20T16:00", "--seed", "5"});
  ASSERT_TRUE(site.started());
  std::string page;
  ASSERT_TRUE(site.get("/history/?code=1301&sy=2013&sm=01&sd=09&ey=2013&em=01&ed=10&tm=d", page));
  EXPECT_EQ(h1(page), "Tom &amp; Jerry, Inc.");
  EXPECT_NE(page.find("<span class=\"yjSb\">JQS</span>"), std::string::npos);
  EXPECT_NE(page.find("<tr><td>2013年1月10日</td><td colspan=\"6\" class=\"through\">分割: 1株 -&gt; 100株</td></tr>\n"
                      "<tr><td>2013年1月10日</td><td>505</td><td>510</td><td>500</td><td>508</td><td>120,000</td><td>508</td></tr>\n"
                      "<tr><td>2013年1月9日</td><td>50,000</td><td>51,000</td><td>49,000</td><td>50,500</td><td>1,200</td><td>505</td></tr>"),
            std::string::npos);
  ASSERT_TRUE(site.get("/history/?code=2000", page));
  EXPECT_EQ(h1(page), "𠮷野家");
  ASSERT_TRUE(site.get("/history/?code=998407", page));  // indexes keep their factory names
  EXPECT_EQ(h1(page), "日経平均株価");
  ASSERT_TRUE(site.get("/history/?code=1332", page));
  EXPECT_NE(page.find("該当する銘柄はありません"), std::string::npos);

  // In Shift_JIS a character outside the code page travels as a character reference.
  ASSERT_TRUE(site.set_encoding("shift_jis", "header"));
  ASSERT_TRUE(site.get("/history/?code=2000", page));
  EXPECT_NE(cp932_to_utf8(page).find("<h1>&#134071;野家</h1>"), std::string::npos);
}

// A connection to the site that sends nothing, or what the test writes to it.
int open_connection(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// True when the server closes the connection within `ms` (without answering).
bool closed_by_server(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  char byte = 0;
  return ::poll(&p, 1, ms) == 1 && ::recv(fd, &byte, 1, 0) <= 0;
}

TEST(QuoteSiteProgram, KeepsAnsweringWhileSlowAndIdleClientsHoldConnections) {
  quote_site_process site({"--now", "2013-02-20T16:00"});
  ASSERT_TRUE(site.started());
  // 20 clients sending their request's header a byte a second, 100 that send nothing.
  std::vector<int> slow;
  std::vector<int> idle;
  for (int i = 0; i < 20; ++i) slow.push_back(open_connection(site.port()));
  for (int i = 0; i < 100; ++i) idle.push_back(open_connection(site.port()));
  ASSERT_EQ(std::count(slow.begin(), slow.end(), -1) + std::count(idle.begin(), idle.end(), -1), 0);
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    const std::string header = "GET " + kPage1301 + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (std::size_t i = 0; !done && i < header.size(); ++i) {
      for (int fd : slow) ::send(fd, &header[i], 1, MSG_NOSIGNAL);
      for (int k = 0; k < 10 && !done; ++k) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });

  std::string page;
  long status = 0;
  EXPECT_TRUE(site.get(kPage1301, page, &status));
  EXPECT_EQ(status, 200);
  EXPECT_EQ(h1(page), "(株)極洋");
  // The site gives a request's header and an idle connection a few seconds each.
  EXPECT_TRUE(closed_by_server(slow.front(), 15000));
  EXPECT_TRUE(closed_by_server(idle.back(), 15000));

  done = true;
  trickle.join();
  for (int fd : slow) ::close(fd);
  for (int fd : idle) ::close(fd);
}

}  // namespace
}  // namespace karigane::testing
