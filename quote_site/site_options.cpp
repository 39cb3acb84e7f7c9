// The quote site's command line: see site_options.h.
#include "site_options.h"

#include <charconv>

namespace karigane::quote_site {
namespace {

template <typename T>
bool whole(const std::string& text, T& out) {
  const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
}

}  // namespace

std::string site_help_text() {
  return R"help(Usage: karigane-quote-site --port P [options]

Serves the quote site's pages (and with --jquants-key the J-Quants API V2) on 127.0.0.1 from a
deterministic data set, for the demo, the tests and offline use. The first line written to
standard output is "listening on 127.0.0.1:PORT" (with " (https)" after it under --tls).
SIGINT or SIGTERM ends the server. A port already in use ends it at once with a message and status 1.

Options:
  --port P            port to listen on; 0 picks a free port (required)
  --bind ADDR         the local address to listen on (default 127.0.0.1)
  --tls CERT KEY      serve HTTPS with the certificate CERT and its private key KEY (PEM
                      files; scripts/make-test-cert makes a throwaway pair for 127.0.0.1)
  --data DIR          serve the data folder DIR instead of the factory data set
  --seed N            seed of the generated prices and volumes (default 1)
  --now YYYY-MM-DDTHH:MM
                      the data set's "today" (default: the system clock)
  --fault RULE        misbehave (repeatable; the first matching rule applies). RULE is a mode
                      or a query: mode=MODE[&codes=C,C...][&count=N][&path=/history/][&skip=N]
                      MODE: hang          never answer (until the client hangs up)
                            forbidden     answer 403 with a page saying "Forbidden"
                            drop          close the connection without an answer
                            wrong-stock   show another stock (or index) than asked for
                            wrong-period  show the period one year earlier than asked for
                            no-data       show the "no data for this period" page
                            no-stock      show the "no such stock" page
                            unlisted      search pages leave the rule's codes out of their
                                          list (other pages: the "no such stock" page)
                            nested        answer a 1 MB page of 64,000 nested formatting
                                          elements
                            status-429, status-500, status-503
                                          answer with that status (on /v2/ paths with a
                                          JSON message)
                      On /v2/ paths only hang, drop, forbidden and the status modes apply.
                      codes: only requests about these codes (program or site codes);
                      count: only the next N matching requests; path: only this page path;
                      skip: let the first N matching requests pass (skip=1 with a search
                      page's codes: its view=l2 page, which follows view=l1)
  --charset NAME      page charset: utf-8 (default), shift_jis or euc-jp
  --charset-in WHERE  where the charset is declared: header, meta or both (default)
  --threads N         worker threads kept ready (default 16; more, up to 256, start while
                      all are busy; each hanging request holds one). A request must arrive
                      within 5 seconds of its first byte (with --tls, the handshake too) and
                      an idle keep-alive connection is closed after 5 seconds
  --log FILE          also append every logged request line to FILE
  --jquants-key KEY   also serve the J-Quants API V2 under /v2/ (see below) to requests whose
                      x-api-key header is KEY
  --plan PLAN         the API's plan: Free (default), Light, Standard or Premium
  --jquants-page-rows N
                      cut the API's pages at N rows (default: at about 5,000,000 bytes)
  --jquants-rate-window SECONDS
                      the window of the API's request limits (default 60; 0: no limit)
  --help              this text
  --version           the version

Pages:
  /history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d[&p=2]
                      daily-price history, 50 rows a page, newest first
  /stock/historicaldata?code=1301.T&fy=2013&fm=1&fd=1&ty=2013&tm=2&td=19&cp=d[&p=2]
                      mobile daily-price history
  /search/?query=1301+1332+998407+998405&ei=UTF-8&view=l1 (or view=l2)
                      search results: the latest day's quotes of the listed codes; times
                      while the market is open (9:00-15:00), dates otherwise
  /fisco/cgi-bin/index.cgi
                      the index chart page: an image map of the Nikkei average's last 60 days
  /history/margin/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=09&ed=07&tm=d
                      weekly margin balances (none for the indexes)
  /bt?c=2013&a=01&b=01&f=2013&d=09&e=07&g=d&s=1301&y=0&z=1301
                      old margin table (c, a, b: start; f, d, e: end; s: code)
  /stock/historicaldata/margin?code=1301.T&fy=2013&fm=1&fd=1&ty=2013&tm=9&td=7
                      mobile margin balances
  /independent/1301, /consolidate/1301, /interim/1301
                      company-profile statements (non-consolidated, consolidated, interim):
                      the newest three fiscal periods announced by today (two interim ones);
                      "ページが見つかりません" for stocks without such statements
  Index codes 1001-1004 are asked for as 998407, 998405, 5040469, 5040468.

J-Quants API V2 (with --jquants-key; without it /v2/ paths are unknown paths, 404):
  GET /v2/equities/master[?code=C][&date=D]             listed issues of a day (no date:
                      today, Free: the plan's last day; a holiday: the next business day)
  GET /v2/equities/bars/daily?code=C[&from=D][&to=D]    or ?date=D (every issue), ?code=C&date=D
  GET /v2/markets/calendar[?hol_div=0|1][&from=D][&to=D]
  GET /v2/markets/margin-interest?code=C|date=D        (Standard, Premium)
  GET /v2/fins/summary?code=C|date=D                   (own limit: 60 a window)
  GET /v2/indices/bars/daily/topix[?from=D][&to=D]     (Light and above; index 1002)
  GET /v2/indices/bars/daily?code=0000|date=D          (Standard, Premium; 0000 is TOPIX)
  Codes are 5 characters (72030, 130A0) or 4 (7203); only stocks of Tokyo markets are issues
  (not the indexes, not the regional exchanges' stocks). Dates are YYYYMMDD or YYYY-MM-DD.
  Plans (relative to today, --now): Free from today - 12 weeks - 2 years to today - 12 weeks,
  5 requests a window; Light the last 5 years, 60; Standard 10 years, 120; Premium 20 years,
  500 and the morning/afternoon keys of daily bars (null: the data set has no sessions).
  Answers: 200 {"data": [...]} with "pagination_key" while rows remain (repeat the same
  query with pagination_key=KEY); 400 for a missing code or date, an unreadable date or
  pagination key, or a date outside the plan (a from/to partly outside it too); 403 without
  the x-api-key header, with another key, for an endpoint outside the plan or an unknown
  /v2/ path or method; 429 beyond the limit (not counted; no Retry-After). The request
  log records API requests as "path?query" (the key travels in a header and is not logged).
  Gzip (or brotli) when the request accepts it.

Control endpoints (not logged):
  /_control/fault?mode=M[&codes=..][&count=N][&path=..][&skip=N]
                                      add a rule (mode=none: remove all)
  /_control/reset                     the command line's rules and charset, an empty log (and
                                      connection count)
  /_control/requests                  logged requests, one "path?query" line each
  /_control/connections               connections (with --tls: handshakes) that carried them
  /_control/encoding?charset=NAME[&place=WHERE]           switch the page charset

Data set:
  Factory: every stock and index of data/meigara_list_org.csv; trading days from 1983 to
  today (the real Nikkei 225's days where they exist, else Monday to Friday except 31 Dec to
  3 Jan); real split events for every stock, the real Nikkei 225 as 1001, real prices of
  prices/CODE.csv; generated prices elsewhere, continuous across splits and real data;
  generated financial statements of every company (a stock whose name holds (株)); generated
  events of 2024-2025: listings of 130A, 2A46 and 9A7A, the delisting of 8013 after
  2025-07-29, a halt of 2A46 on 2025-06-13, splits of 130A (1:2) and 2A46 (1:3) and a 5:1
  consolidation of 9A7A (data/SOURCES.md).
  --data DIR (UTF-8 CSV files with a header line):
    stocks.csv        code,market_letter,market_name,name[,listed,last_trading_day]
                      (required; dates yyyymmdd or empty; codes of 1 to 4 digits or
                      alphanumeric such as 130A; 1001-1004 added with their factory names
                      unless listed)
    splits.csv        code,date,before,after                 (optional; date yyyymmdd)
    halts.csv         code,date                              (optional; whole days without
                      a trade)
    prices/CODE.csv   date,open,high,low,close,volume        (optional; real rows of CODE;
                      prices/1001.csv also gives the trading days it covers)
)help";
}

bool parse_site_options(const std::vector<std::string>& args, site_options& options,
                        std::string& error) {
  bool has_port = false;
  std::string api_option;  // an option of the API, which needs its key
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      options.help = true;
    } else if (a == "--version") {
      options.version = true;
    } else if (a == "--port") {
      if (!value(v)) return false;
      if (!whole(v, options.server.port) || options.server.port < 0 || options.server.port > 65535) {
        error = "--port " + v + " is not a port number";
        return false;
      }
      has_port = true;
    } else if (a == "--bind") {
      if (!value(options.server.address)) return false;
    } else if (a == "--tls") {
      if (!value(options.server.tls_certificate) || !value(options.server.tls_key)) {
        error = "--tls needs a certificate file and a key file";
        return false;
      }
    } else if (a == "--data") {
      if (!value(options.data_folder)) return false;
    } else if (a == "--seed") {
      if (!value(v)) return false;
      if (!whole(v, options.seed)) {
        error = "--seed " + v + " is not a whole number";
        return false;
      }
    } else if (a == "--now") {
      if (!value(v)) return false;
      options.now = parse_local_time(v);
      if (!options.now) {
        error = "--now " + v + " is not YYYY-MM-DDTHH:MM";
        return false;
      }
    } else if (a == "--fault") {
      if (!value(v)) return false;
      fault_rule rule;
      if (!parse_fault_rule(v, rule, error)) {
        error = "--fault " + v + ": " + error;
        return false;
      }
      if (rule.mode != fault_mode::none) options.server.faults.push_back(std::move(rule));
    } else if (a == "--charset") {
      if (!value(v)) return false;
      if (!parse_charset(v, options.server.encoding.charset)) {
        error = "--charset " + v + ": use utf-8, shift_jis or euc-jp";
        return false;
      }
    } else if (a == "--charset-in") {
      if (!value(v)) return false;
      if (!parse_charset_place(v, options.server.encoding.place)) {
        error = "--charset-in " + v + ": use header, meta or both";
        return false;
      }
    } else if (a == "--threads") {
      if (!value(v)) return false;
      if (!whole(v, options.server.threads) || options.server.threads < 2 || options.server.threads > 1024) {
        error = "--threads " + v + " is not a number from 2 to 1024";
        return false;
      }
    } else if (a == "--log") {
      if (!value(options.server.log_file)) return false;
    } else if (a == "--jquants-key") {
      if (!value(options.server.jquants.key)) return false;
      if (options.server.jquants.key.empty()) {
        error = "--jquants-key needs a key";
        return false;
      }
    } else if (a == "--plan") {
      if (!value(v)) return false;
      if (!parse_jquants_plan(v, options.server.jquants.plan)) {
        error = "--plan " + v + ": use Free, Light, Standard or Premium";
        return false;
      }
      api_option = a;
    } else if (a == "--jquants-page-rows") {
      if (!value(v)) return false;
      if (!whole(v, options.server.jquants.page_rows) || options.server.jquants.page_rows == 0) {
        error = "--jquants-page-rows " + v + " is not a number of rows (1 or more)";
        return false;
      }
      api_option = a;
    } else if (a == "--jquants-rate-window") {
      if (!value(v)) return false;
      if (!whole(v, options.server.jquants.rate_window_seconds) ||
          options.server.jquants.rate_window_seconds < 0 ||
          options.server.jquants.rate_window_seconds > 3600) {
        error = "--jquants-rate-window " + v + " is not a number of seconds from 0 to 3600";
        return false;
      }
      api_option = a;
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  if (!has_port && !options.help && !options.version) {
    error = "--port is required";
    return false;
  }
  if (!api_option.empty() && options.server.jquants.key.empty()) {
    error = api_option + " needs --jquants-key";
    return false;
  }
  return true;
}

}  // namespace karigane::quote_site
