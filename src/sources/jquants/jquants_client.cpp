// J-Quants' API as the runs ask it: see jquants_client.h.
#include "sources/jquants/jquants_client.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "core/text.h"
#include "core/trading_days.h"
#include "http/transfer.h"
#include "sources/quote_site/page_retrieval.h"

namespace karigane {
namespace {

using pace_clock = std::chrono::steady_clock;

struct endpoint_facts {
  api_endpoint endpoint;
  const char* path;
  jquants_plan lowest;
  bool own_limit;  // fins/summary: 60 a minute whatever the plan
};

constexpr endpoint_facts kEndpoints[] = {
    {api_endpoint::master, "equities/master", jquants_plan::free, false},
    {api_endpoint::daily_bars, "equities/bars/daily", jquants_plan::free, false},
    {api_endpoint::calendar, "markets/calendar", jquants_plan::free, false},
    {api_endpoint::margin_interest, "markets/margin-interest", jquants_plan::standard, false},
    {api_endpoint::fins_summary, "fins/summary", jquants_plan::free, true},
    {api_endpoint::topix, "indices/bars/daily/topix", jquants_plan::light, false},
};

const endpoint_facts& facts_of(api_endpoint e) {
  for (const auto& f : kEndpoints) {
    if (f.endpoint == e) return f;
  }
  return kEndpoints[0];
}

int per_minute(jquants_plan plan) {
  switch (plan) {
    case jquants_plan::light:
      return 60;
    case jquants_plan::standard:
      return 120;
    case jquants_plan::premium:
      return 500;
    case jquants_plan::free:
      break;
  }
  return 5;
}

constexpr int kFinsPerMinute = 60;
constexpr int kTooManyRepeats = 5;
constexpr int kFailureRepeats = 3;
constexpr std::size_t kMessageLength = 200;

// A request's slot in the plan's minute: the requests of the whole process to one address are
// counted together, so that a second run right after a first one keeps the pace too.
class pace_log {
 public:
  // Waits until a request fits every group's limit in the window, pumping; false on a stop.
  bool take_turn(run_context& ctx, const std::vector<std::pair<std::string, int>>& groups,
                 pace_clock::duration window) {
    for (;;) {
      pace_clock::time_point ready;
      {
        std::lock_guard<std::mutex> lock(m_);
        const pace_clock::time_point now = pace_clock::now();
        ready = now;
        for (const auto& [name, limit] : groups) {
          std::deque<pace_clock::time_point>& sent = groups_[name];
          while (!sent.empty() && sent.front() + window <= now) sent.pop_front();
          if (static_cast<int>(sent.size()) >= limit) {
            ready = std::max(ready, sent[sent.size() - static_cast<std::size_t>(limit)] + window);
          }
        }
        if (ready <= now) {
          for (const auto& group : groups) groups_[group.first].push_back(now);
          return true;
        }
      }
      ctx.pump();
      if (ctx.stop_flag()) return false;
      std::this_thread::sleep_for(
          std::min<pace_clock::duration>(ready - pace_clock::now(), std::chrono::milliseconds(50)));
    }
  }

 private:
  std::mutex m_;
  std::map<std::string, std::deque<pace_clock::time_point>> groups_;
};

pace_log& process_pace() {
  static pace_log log;
  return log;
}

// Waits `length`, pumping; false when a stop ended the wait.
bool wait_pumping(run_context& ctx, pace_clock::duration length) {
  const pace_clock::time_point end = pace_clock::now() + length;
  for (;;) {
    ctx.pump();
    if (ctx.stop_flag()) return false;
    const pace_clock::time_point now = pace_clock::now();
    if (now >= end) return true;
    std::this_thread::sleep_for(
        std::min<pace_clock::duration>(end - now, std::chrono::milliseconds(50)));
  }
}

// A query's value as an address carries it.
std::string query_value(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : value) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' ||
        u == '_' || u == '.' || u == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

// A message of the service as the run may show it: printable, short, and never the key.
std::string shown_message(std::string text, const std::string& key) {
  if (!key.empty()) {
    for (std::size_t at; (at = text.find(key)) != std::string::npos;) {
      text.replace(at, key.size(), masked_api_key(key));
    }
  }
  std::string out;
  for (const char c : text) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  if (out.size() > kMessageLength) {
    std::size_t cut = kMessageLength;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out = out.substr(0, cut) + "…";
  }
  return trim(out);
}

bool mentions(std::string_view message, std::string_view part) {
  std::string lower(message);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(part) != std::string::npos;
}

// The same day `years` earlier (29 February becomes 28 February).
date years_before(const date& d, int years) {
  const int y = d.y - years;
  return {y, d.m, std::min(d.d, days_in_month(y, d.m))};
}

}  // namespace

std::string span_text(const date_span& span) {
  return slash_text(span.first) + "～" + slash_text(span.last);
}

std::string api_date(const date& d) {
  const std::string t = yyyymmdd(d);
  return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2);
}

std::optional<date> date_of_api(std::string_view text) {
  return text.size() == 8 ? parse_yyyymmdd(text) : parse_date_text(text);
}

date_span plan_dates(jquants_plan plan, const date& today) {
  switch (plan) {
    case jquants_plan::light:
      return {years_before(today, 5), today};
    case jquants_plan::standard:
      return {years_before(today, 10), today};
    case jquants_plan::premium:
      return {years_before(today, 20), today};
    case jquants_plan::free:
      break;
  }
  const date last = add_days(today, -12 * 7);
  return {years_before(last, 2), last};
}

jquants_plan lowest_plan(api_endpoint endpoint) { return facts_of(endpoint).lowest; }

std::optional<date_span> covered_dates_of(std::string_view message, const date& open_last) {
  static constexpr std::string_view kHead = "covers the following dates:";
  const std::size_t at = message.find(kHead);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = message.substr(at + kHead.size());
  auto skip_blanks = [&] {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  };
  skip_blanks();
  const std::optional<date> first = date_of_api(rest.substr(0, 10));
  if (!first || rest.size() < 10) return std::nullopt;
  rest.remove_prefix(10);
  skip_blanks();
  if (rest.empty() || rest.front() != '~') return std::nullopt;
  rest.remove_prefix(1);
  skip_blanks();
  const std::optional<date> last =
      rest.size() >= 10 ? date_of_api(rest.substr(0, 10)) : std::nullopt;
  return date_span{*first, last.value_or(open_last)};
}

struct jquants_client::answer {
  explicit answer(api_end e, long s = 0, std::string b = {}, std::string m = {})
      : end(e), status(s), body(std::move(b)), message(std::move(m)) {}
  api_end end;
  long status;
  std::string body;
  std::string message;
};

jquants_client::jquants_client(jquants_settings settings) : settings_(std::move(settings)) {
  // The plan's pace is the politeness towards the service; the quote site's interval would
  // hold Premium to a quarter of its pace.
  settings_.connection.access_interval_ms = 0;
}

date_span jquants_client::covered(run_context& ctx) {
  if (!covered_) covered_ = plan_dates(settings_.plan, ctx.now().day);
  return *covered_;
}

std::optional<date_span> jquants_client::clip(run_context& ctx, const date_span& span) {
  const date_span c = covered(ctx);
  const date_span clipped{std::max(span.first, c.first), std::min(span.last, c.last)};
  const bool cut = span.first < c.first || (c.last < span.last && c.last < ctx.now().day);
  if (cut && !warned_of_dates_) {
    warned_of_dates_ = true;
    ctx.warn("J-Quants の " + std::string(jquants_plan_name(settings_.plan)) +
             " プランで取得できる日付は " + slash_text(c.first) + "～" + slash_text(c.last) +
             " です。期間をその中に切り詰めます。");
  }
  if (clipped.last < clipped.first) return std::nullopt;
  return clipped;
}

bool jquants_client::clip_params(api_params& params, const date_span& span) const {
  std::optional<date> from;
  std::optional<date> to;
  for (auto& [name, value] : params) {
    const std::optional<date> d = date_of_api(value);
    if (!d) continue;
    if (name == "date" && (*d < span.first || span.last < *d)) return false;
    if (name == "from") {
      from = std::max(*d, span.first);
      value = api_date(*from);
    }
    if (name == "to") {
      to = std::min(*d, span.last);
      value = api_date(*to);
    }
  }
  return !(from && to && *to < *from);
}

jquants_client::answer jquants_client::request(run_context& ctx, api_endpoint endpoint,
                                               const std::string& url) {
  const endpoint_facts& facts = facts_of(endpoint);
  const pace_clock::duration minute = jquants_minute();
  // A little over the minute, so that a clock that runs differently, or a request that takes
  // longer to arrive than the one a limit's length before it, still keeps the limit; at least
  // a tenth of a second, which a shortened minute would otherwise lose in the transfers' jitter.
  const pace_clock::duration window =
      minute + std::max<pace_clock::duration>(minute / 60, std::chrono::milliseconds(100));
  std::vector<std::pair<std::string, int>> groups{
      {settings_.url + " plan", per_minute(settings_.plan)}};
  if (facts.own_limit) groups.push_back({settings_.url + " fins", kFinsPerMinute});

  int failures = 0;
  int too_many = 0;
  for (;;) {
    if (minute.count() > 0 && !process_pace().take_turn(ctx, groups, window)) {
      return answer(api_end::stopped);
    }
    transfer_result r =
        load(ctx, settings_.connection, {url, {{"x-api-key", settings_.api_key}}, failures});
    if (r.end == transfer_end::stopped) return answer(api_end::stopped);
    ++requests_;
    if (r.end == transfer_end::answered && r.status != 429 && r.status < 500) {
      ctx.clear_failed_transfers();
      ctx.progress.page_fetched();
      return answer(api_end::done, r.status, std::move(r.body));
    }
    if (r.end == transfer_end::answered && r.status == 429) {
      ctx.clear_failed_transfers();
      if (++too_many > kTooManyRepeats) {
        return answer(api_end::failed, 429, {},
                      "J-Quants が要求数の上限（429）のあと要求を受け付けません。");
      }
      ctx.set_label1("J-Quants の要求数の上限を超えました。1分待ってから続けます。",
                     label_colour::blue);
      if (!wait_pumping(ctx, minute)) return answer(api_end::stopped);
      continue;
    }
    // No answer, a broken connection or a server error: asked again, then counted as a query
    // that got no answer; five of them in a row end the run.
    const bool timed_out = r.end == transfer_end::timed_out;
    if (!timed_out && ++failures <= kFailureRepeats) continue;
    if (ctx.count_failed_transfer() >= 5) ctx.set_run_error(kSiteSilentText);
    std::string why = r.end == transfer_end::answered ? "HTTP " + std::to_string(r.status)
                      : timed_out                     ? std::string("時間切れ")
                                                      : shown_message(r.failure, settings_.api_key);
    return answer(api_end::failed, r.status, {}, "J-Quants から答えがありません（" + why + "）。");
  }
}

api_outcome jquants_client::refusal(run_context& ctx, long status, const std::string& message) {
  const std::string said = message.empty() ? "HTTP " + std::to_string(status) : message;
  if ((status == 401 || status == 403) && mentions(message, "subscription")) {
    return {api_end::not_in_plan, "J-Quants の " + std::string(jquants_plan_name(settings_.plan)) +
                                      " プランでは取得できません（" + said + "）。"};
  }
  if (status == 403 && mentions(message, "endpoint does not exist")) {
    ctx.set_run_error("J-Quants の答え: " + said + " settei.txt の「" +
                      std::string(kJquantsUrlKey) + "」（" + settings_.url +
                      "）を確かめてください。");
    return {api_end::stopped, ctx.run_error()};
  }
  if (status == 401 || status == 403) {
    ctx.set_run_error("J-Quants が API キー（" + masked_api_key(settings_.api_key) +
                      "）を受け付けません（" + said + "）。settei.txt の「" +
                      std::string(kJquantsApiKeyKey) + "」か環境変数 " + kJquantsApiKeyVariable +
                      " を確かめてください。");
    return {api_end::stopped, ctx.run_error()};
  }
  return {api_end::failed,
          "J-Quants: " + (message.empty() ? said : "HTTP " + std::to_string(status) + " " + said)};
}

api_outcome jquants_client::get(run_context& ctx, api_endpoint endpoint, const api_params& asked,
                                const api_row_visitor& each) {
  api_params params = asked;
  std::string page_key;
  std::unordered_set<std::string> keys_seen;
  bool narrowed = false;
  for (;;) {
    if (ctx.run_interrupted()) return {api_end::stopped, ctx.run_error()};
    std::string url = settings_.url + "/v2/" + facts_of(endpoint).path;
    char separator = '?';
    for (const auto& [name, value] : params) {
      url += separator + name + "=" + query_value(value);
      separator = '&';
    }
    if (!page_key.empty())
      url += separator + std::string("pagination_key=") + query_value(page_key);
    answer a = request(ctx, endpoint, url);
    if (a.end != api_end::done) return {a.end, a.message};
    // 210, "no content (partial)": the service has nothing (more) to give.
    if (a.status == 210) return {};
    if (a.status != 200) {
      const std::string message = shown_message(reader_.message(a.body), settings_.api_key);
      const std::optional<date_span> said =
          a.status == 400 ? covered_dates_of(message, covered(ctx).last) : std::nullopt;
      if (said && !narrowed && page_key.empty()) {
        // The service counts the plan's dates otherwise than the client did (another day, a
        // plan changed): its dates hold for the rest of the run.
        const date_span before = covered(ctx);
        covered_ =
            date_span{std::max(before.first, said->first), std::min(before.last, said->last)};
        narrowed = true;
        if (!clip_params(params, *covered_)) return {};
        if (params != asked) continue;
      }
      return refusal(ctx, a.status, message);
    }
    std::string next;
    if (const status read = reader_.read(a.body, each, next); !read) {
      return {api_end::failed, read.message()};
    }
    if (next.empty()) return {};
    if (!keys_seen.insert(next).second) {
      return {api_end::failed, "J-Quants が同じ pagination_key を二度返しました。"};
    }
    page_key = std::move(next);
  }
}

std::vector<date> jquants_client::business_days(run_context& ctx, const date_span& span) {
  const date_span c = covered(ctx);
  const date calendar_last = std::min(c.last, ctx.now().day);
  if (!calendar_) {
    calendar_.emplace();
    std::vector<date> days;
    const api_outcome got = get(
        ctx, api_endpoint::calendar, {{"from", api_date(c.first)}, {"to", api_date(calendar_last)}},
        [&](const api_row& row) {
          const auto day = row.text("Date");
          const auto division = row.text("HolDiv");
          const std::optional<date> d = day ? date_of_api(*day) : std::nullopt;
          // "1" a business day, "2" a half-day session.
          if (d && division && (*division == "1" || *division == "2")) {
            days.push_back(*d);
          }
        });
    if (got.end == api_end::done && !days.empty()) {
      std::sort(days.begin(), days.end());
      days.erase(std::unique(days.begin(), days.end()), days.end());
      *calendar_ = std::move(days);
    } else if (got.end != api_end::stopped) {
      ctx.failures.add({"", "取引カレンダー", "",
                        got.message.empty() ? "J-Quants の取引カレンダーが空です。" : got.message});
    }
  }
  std::vector<date> out;
  const bool known = !calendar_->empty();
  for (date d = span.first; !(span.last < d); d = add_days(d, 1)) {
    const bool inside = known && !(d < c.first) && !(calendar_last < d);
    if (inside ? std::binary_search(calendar_->begin(), calendar_->end(), d)
               : rule_trading_day(d)) {
      out.push_back(d);
    }
  }
  return out;
}

}  // namespace karigane
