// Page retrieval against the real local quote site on loopback: the legacy page, the repeats
// on error pages, the time-out, the stop, the charsets, the pages that fail in a row, HTTPS.
#include "sources/quote_site/page_retrieval.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "core/text.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::quote_site_process;

const std::string kQuery = "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d";

// Records every Label4 text, to see the busy text during a wait.
class label4_context : public testing::recording_context {
 public:
  void set_label4(std::string_view text, label_colour colour) override {
    run_context::set_label4(text, colour);
    label4_history.emplace_back(text);
  }
  std::vector<std::string> label4_history;
};

// A loopback port with no listener: bound, then released.
int unused_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

class PageRetrieval : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = std::make_unique<quote_site_process>(std::vector<std::string>{"--now", "2013-02-20T16:00"});
  }
  static void TearDownTestSuite() { site_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(site_->started());
    ASSERT_TRUE(site_->reset());
    ctx_.wait_limit_ticks = 40;
    ctx_.tick_ms = 25;  // a one-second wait limit
  }

  std::string fetch(const std::string& url, std::string page = {}) {
    retrieved_page r = retrieve_page(ctx_, connection_settings{}, url);
    msg_ = r.outcome.message();
    // A stop or a time-out brings no page: the caller's stays.
    return r.page.empty() && !r.outcome.is_ok() ? page : r.page;
  }

  static std::unique_ptr<quote_site_process> site_;
  label4_context ctx_;
  std::string msg_ = "not set";
};

std::unique_ptr<quote_site_process> PageRetrieval::site_;

TEST_F(PageRetrieval, ReturnsTheBodyInLegacyFormFromOneRequest) {
  const std::string page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "");
  EXPECT_EQ(page.rfind("<BODY>", 0), 0u);
  EXPECT_EQ(page.substr(page.size() - 7), "</BODY>");
  for (const char* marker : {"=株価詳細>", "code=1301.T\"", "<H1>(株)極洋</H1>", "class=yjSb>東証1部<",
                             "id=selYear><OPTION value=1983>", "<OPTION selected value=2013>2013<",
                             ">終値<", "<TD>2013年1月4日</TD>", "</TBODY>"}) {
    EXPECT_NE(page.find(marker), std::string::npos) << marker;
  }
  EXPECT_EQ(site_->requests(), std::vector<std::string>{kQuery});
  EXPECT_EQ(ctx_.label4(), "");
}

TEST_F(PageRetrieval, RepeatsAForbiddenPageElevenTimesThenGivesUp) {
  ASSERT_TRUE(site_->set_fault("forbidden"));
  const std::string page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "該当URLをオープンできません。");
  EXPECT_NE(page.find("Forbidden"), std::string::npos);  // the last error page
  EXPECT_EQ(site_->requests().size(), 11u);
}

TEST_F(PageRetrieval, RecoversWhenTheErrorPagesStopWithinTheRepeats) {
  ASSERT_TRUE(site_->set_fault("forbidden", "1301", 10));
  const std::string page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "");
  EXPECT_NE(page.find("<H1>(株)極洋</H1>"), std::string::npos);
  EXPECT_EQ(site_->requests().size(), 11u);
}

TEST_F(PageRetrieval, CountsBrokenAndRefusedConnectionsAsErrorPages) {
  ASSERT_TRUE(site_->set_fault("drop"));
  std::string page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "該当URLをオープンできません。");
  EXPECT_NE(page.find("ページを表示できません"), std::string::npos);
  EXPECT_EQ(site_->requests().size(), 11u);

  // A refused connection is tried once more, and the failure names it.
  const std::string port = std::to_string(unused_port());
  page = fetch("http://127.0.0.1:" + port + kQuery);
  EXPECT_EQ(msg_, "接続を拒否されました: 127.0.0.1:" + port);
  EXPECT_NE(page.find("ページを表示できません"), std::string::npos);

  // Addresses that are not http(s), or no address at all, never open.
  for (const char* url : {"file:///etc/passwd", "", "not a url"}) {
    page = fetch(url);
    EXPECT_EQ(msg_, "該当URLをオープンできません。") << url;
    EXPECT_EQ(page.find("root:"), std::string::npos);
  }
}

TEST_F(PageRetrieval, TimesOutOnASilentServerWithoutRepeatAndKeepsThePage) {
  ASSERT_TRUE(site_->set_fault("hang"));
  const std::string page = fetch(site_->url() + kQuery, "as passed in");
  EXPECT_EQ(msg_, "インターネットに接続できません。");
  EXPECT_EQ(page, "as passed in");
  EXPECT_EQ(site_->requests().size(), 1u);
  // Label4 showed the busy text while waiting and is empty again.
  EXPECT_NE(std::find(ctx_.label4_history.begin(), ctx_.label4_history.end(), "接続中..."),
            ctx_.label4_history.end());
  EXPECT_EQ(ctx_.label4(), "");
}

TEST_F(PageRetrieval, StopEndsTheWaitAtOnce) {
  ASSERT_TRUE(site_->set_fault("hang"));
  ctx_.wait_limit_ticks = 800;
  ctx_.tick_ms = 200;  // the real 160-second limit
  ctx_.stop_after_pumps(5);
  const auto start = std::chrono::steady_clock::now();
  const std::string page = fetch(site_->url() + kQuery, "as passed in");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(msg_, "インターネットに接続できません。");
  EXPECT_EQ(page, "as passed in");
  EXPECT_LT(waited, std::chrono::seconds(20));  // far below the wait limit
  EXPECT_GE(ctx_.pumps(), 5);

  // A stop raised before the call makes no request at all.
  ASSERT_TRUE(site_->reset());
  EXPECT_EQ(fetch(site_->url() + kQuery, "kept"), "kept");
  EXPECT_EQ(msg_, "インターネットに接続できません。");
  EXPECT_TRUE(site_->requests().empty());
}

TEST_F(PageRetrieval, RefusesAPageNestedBeyondAnyQuotePageWithoutRepeats) {
  ASSERT_TRUE(site_->set_fault("nested"));
  const std::string page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "該当URLをオープンできません。");
  EXPECT_NE(page.find("ページを表示できません"), std::string::npos);
  EXPECT_EQ(site_->requests().size(), 1u);
  // The site answered: refused pages are no silent site, however many come in a row.
  for (int k = 0; k < 5; ++k) fetch(site_->url() + kQuery);
  EXPECT_FALSE(ctx_.has_run_error());
}

TEST_F(PageRetrieval, DecodesEucJpAndShiftJisPages) {
  ASSERT_TRUE(site_->set_encoding("euc-jp", "header"));
  std::string page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "");
  EXPECT_NE(page.find("<H1>(株)極洋</H1>"), std::string::npos);

  ASSERT_TRUE(site_->set_encoding("shift_jis", "meta"));
  page = fetch(site_->url() + kQuery);
  EXPECT_EQ(msg_, "");
  EXPECT_NE(page.find("<H1>(株)極洋</H1>"), std::string::npos);
  EXPECT_NE(page.find("<TD>2013年1月4日</TD>"), std::string::npos);
}

TEST_F(PageRetrieval, TakesNotFoundPagesAndFollowsRedirects) {
  std::string page = fetch(site_->url() + "/no/such/page");
  EXPECT_EQ(msg_, "");
  EXPECT_NE(page.find("ページが見つかりません"), std::string::npos);

  page = fetch(site_->url() + "/history?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d");
  EXPECT_EQ(msg_, "");
  EXPECT_NE(page.find("<H1>(株)極洋</H1>"), std::string::npos);
  const auto requests = site_->requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2], kQuery);
}

TEST_F(PageRetrieval, FiveFailedPagesInARowEndTheRun) {
  const std::string url = site_->url() + kQuery;
  const std::string refused = "http://127.0.0.1:" + std::to_string(unused_port()) + kQuery;
  auto fail_with = [&](const std::string& mode) {
    ASSERT_TRUE(site_->reset());
    if (!mode.empty()) {
      ASSERT_TRUE(site_->set_fault(mode));
    }
    fetch(mode.empty() ? refused : url);
    EXPECT_NE(msg_, "") << mode;
  };
  // No answer within the limit, an HTTP error, a dropped and a refused connection all count;
  // a page retrieved clears the count and counts as fetched.
  for (const char* mode : {"hang", "forbidden", "drop", ""}) fail_with(mode);
  ASSERT_TRUE(site_->reset());
  fetch(url);
  EXPECT_EQ(msg_, "");
  EXPECT_EQ(ctx_.progress.snapshot().pages, 1u);
  for (const char* mode : {"", "hang", "forbidden", "drop"}) fail_with(mode);
  EXPECT_FALSE(ctx_.has_run_error());

  fail_with("");
  EXPECT_EQ(ctx_.run_error(), "インターネットからデータを取得できませんでした。");
  EXPECT_EQ(ctx_.progress.snapshot().pages, 1u);

  // A new run counts again from nothing.
  ctx_.reset_run_state();
  for (int i = 0; i < 4; ++i) fail_with("");
  EXPECT_FALSE(ctx_.has_run_error());
}

TEST(PageRetrievalHttps, TrustsTheSettingsCertificateAndNoUnknownOne) {
  testing::temp_folder certs;
  ASSERT_TRUE(testing::make_test_certificate(certs.path()));
  quote_site_process site({"--now", "2013-02-20T16:00", "--tls", certs.path() + "cert.pem", certs.path() + "key.pem"});
  ASSERT_TRUE(site.started());
  ASSERT_EQ(site.url().rfind("https://127.0.0.1:", 0), 0u);
  std::string page;
  std::string msg;

  testing::recording_context trusting;
  connection_settings connection;
  connection.ca_certificate_file = site.certificate();
  retrieved_page r = retrieve_page(trusting, connection, site.url() + kQuery);
  page = r.page;
  msg = r.outcome.message();
  EXPECT_EQ(msg, "");
  EXPECT_NE(page.find("<H1>(株)極洋</H1>"), std::string::npos);
  EXPECT_EQ(site.requests().size(), 1u);

  // Without it the system's certificates do not know the site: the attempt and its one repeat
  // end in the handshake, no request reaches the site, and the failure names the host.
  ASSERT_TRUE(site.reset());
  testing::recording_context untrusting;
  r = retrieve_page(untrusting, connection_settings{}, site.url() + kQuery);
  page = r.page;
  msg = r.outcome.message();
  EXPECT_EQ(msg, "証明書を検証できません: 127.0.0.1");
  EXPECT_NE(page.find("ページを表示できません"), std::string::npos);
  EXPECT_NE(page.find("certificate"), std::string::npos) << page;
  EXPECT_TRUE(site.requests().empty());
}

TEST(PageRetrievalErrorText, TreatsForbiddenInOrdinaryTextAsAnErrorPage) {
  testing::temp_folder data;
  testing::write_bytes(data.path() + "stocks.csv",
                       "code,market_letter,market_name,name\n1301,t,東証1部,Forbidden Foods\n");
  quote_site_process site({"--data", data.path(), "--now", "2013-02-20T16:00"});
  ASSERT_TRUE(site.started());
  testing::recording_context ctx;
  const retrieved_page r = retrieve_page(ctx, connection_settings{}, site.url() + kQuery);
  EXPECT_EQ(r.outcome.message(), "該当URLをオープンできません。");
  EXPECT_NE(r.page.find("<H1>Forbidden Foods</H1>"), std::string::npos);
  EXPECT_EQ(site.requests().size(), 11u);
}

}  // namespace
}  // namespace karigane
