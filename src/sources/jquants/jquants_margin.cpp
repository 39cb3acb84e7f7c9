// Margin balances from J-Quants: see jquants_margin.h.
#include "sources/jquants/jquants_margin.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "core/text.h"
#include "core/trading_days.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "sources/jquants/held_rows.h"
#include "sources/jquants/query_walk.h"

namespace karigane {
namespace {

constexpr const char* kUnitWeeks = "週";
constexpr std::size_t kHeldRows = 1'000'000;

const char* label() { return kind_of(kind_id::margin).name; }

// Days since the Monday of the week (Monday 0 ... Sunday 6).
int weekday_from_monday(const date& d) { return (day_of_week(d) + 6) % 7; }

// The week's row of an answer; nothing when its date or code is not one.
struct margin_week_row {
  std::string code;
  date day;
  credit_row row;
};

std::optional<margin_week_row> week_row_of(const api_row& row) {
  const auto api_code = row.text("Code");
  const auto day_text = row.text("Date");
  std::optional<std::string> code = api_code ? program_code_of(*api_code) : std::nullopt;
  const std::optional<date> day = day_text ? date_of_api(*day_text) : std::nullopt;
  const std::optional<std::string> sold = row.number("ShrtVol");
  const std::optional<std::string> bought = row.number("LongVol");
  if (!code || !day || !sold || !bought) return std::nullopt;
  std::string ratio = "---";
  const double s = row.value("ShrtVol").value_or(0);
  if (s > 0) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", row.value("LongVol").value_or(0) / s);
    ratio = text;
  }
  return margin_week_row{std::move(*code), *day, {yyyymmdd(*day), *sold, *bought, ratio}};
}

class margin_walk {
 public:
  margin_walk(run_context& ctx, jquants_run& run, const std::vector<std::string>& codes,
              margin_sink& sink)
      : ctx_(ctx), run_(run), codes_(codes), sink_(sink) {}

  status collect() {
    jquants_client& client = run_.client;
    if (!client.plan_has(api_endpoint::margin_interest)) {
      ctx_.failures.add({"", label(), "",
                         "J-Quants の " + std::string(jquants_plan_name(client.settings().plan)) +
                             " プランでは信用売買残を取得できません（Standard プラン以上）。"});
      return status::ok;
    }
    ctx_.progress.start_pass(label(), kUnitStocks, codes_.size());
    for (std::size_t i = 0; i < codes_.size(); ++i) {
      ctx_.pump();
      if (ctx_.run_interrupted()) return interrupted_status(ctx_);
      ctx_.progress.at_item(i + 1, codes_[i]);
      const stock_request r = sink_.request_of(ctx_, codes_[i]);
      skipped_.push_back(r.skipped);
      periods_.push_back(std::nullopt);
      if (!r.skipped && r.period && !is_program_index_code(codes_[i]) && !r.period->start.empty() &&
          !r.period->end.empty() && !(r.period->end < r.period->start)) {
        periods_.back() = client.clip(ctx_, {r.period->start, r.period->end});
      }
    }
    walk_choice choice;
    const std::optional<date_span> hull = hull_of(periods_);
    const auto asking = std::count_if(periods_.begin(), periods_.end(),
                                      [](const auto& p) { return p.has_value(); });
    const std::optional<query_walk> forced = forced_walk();
    if (hull && (asking > 1 || forced)) {
      business_days_ = client.business_days(ctx_, {hull->first, client.covered(ctx_).last});
      if (ctx_.run_interrupted()) return interrupted_status(ctx_);
      choice = choose_walk(periods_, week_dates(business_days_), {});
    }
    if (forced) choice.walk = *forced;
    return choice.walk == query_walk::by_code ? by_code() : by_week(choice.days);
  }

 private:
  credit_tbl_t table_of(const std::string& code, held_rows<4>& weeks) {
    credit_tbl_t table = empty_credit_table(code);
    if (const stock_entry* e = run_.issues.find(ctx_, code)) {
      table[0][kCreditMarket] = e->market_name;
      table[0][kCreditName] = e->name;
    }
    weeks.move_newest_first(table);
    table[0][kCreditCount] = num_text(static_cast<std::int64_t>(table.size() - 1));
    return table;
  }

  status by_code() {
    return for_each_stock(ctx_, label(), codes_, [&](std::size_t i) -> status {
      if (skipped_[i] || refused_) return status::ok;
      const std::string& code = codes_[i];
      held_rows<4> weeks;
      if (const auto& span = periods_[i]) {
        ctx_.set_label1(code + " " + span_text(*span) + " 信用売買残処理中", label_colour::blue);
        const api_outcome got =
            run_.client.get(ctx_, api_endpoint::margin_interest,
                            {{"code", api_code_of(code)},
                             {"from", api_date(span->first)},
                             {"to", api_date(span->last)}},
                            [&](const api_row& row) {
                              const auto week = week_row_of(row);
                              if (week && week->code == code && !(week->day < span->first) &&
                                  !(span->last < week->day)) {
                                weeks.add(week->row);
                              }
                            });
        if (got.end == api_end::stopped) return interrupted_status(ctx_);
        if (got.end == api_end::not_in_plan) return refuse(got);
        if (got.end != api_end::done) {
          ctx_.failures.add({code, label(), span_text(*span), got.message});
          weeks = {};
        }
      }
      credit_tbl_t table = table_of(code, weeks);
      return sink_.store(ctx_, code, table);
    });
  }

  // A 403 about the plan: the kind is skipped from here, counted once.
  status refuse(const api_outcome& got) {
    ctx_.failures.add({"", label(), "", got.message});
    refused_ = true;
    return status::ok;
  }

  // The second business day after a week's date: the day its balances are published.
  std::optional<date> published(const date& week) const {
    const auto after = std::upper_bound(business_days_.begin(), business_days_.end(), week);
    if (business_days_.end() - after < 2) return std::nullopt;
    return *(after + 1);
  }

  // One week of the whole market: asked by its date; while the reading of `date` is not known,
  // a week that comes back empty is asked by its publication day too, and the reading that
  // gave rows holds from then on.
  api_outcome week_rows(const date& week, std::vector<margin_week_row>& rows) {
    auto ask = [&](const date& d) {
      return run_.client.get(ctx_, api_endpoint::margin_interest, {{"date", api_date(d)}},
                             [&](const api_row& row) {
                               if (auto w = week_row_of(row)) rows.push_back(std::move(*w));
                             });
    };
    if (reading_ != date_reading::publication) {
      const api_outcome got = ask(week);
      if (got.end != api_end::done) return got;
      if (!rows.empty()) reading_ = date_reading::reference;
      if (!rows.empty() || reading_ == date_reading::reference) return got;
    }
    const std::optional<date> day = published(week);
    if (!day) return {};
    const api_outcome got = ask(*day);
    if (got.end == api_end::done && !rows.empty()) reading_ = date_reading::publication;
    return got;
  }

  status by_week(const std::vector<date>& weeks) {
    std::unordered_map<std::string, std::size_t> asking;
    for (std::size_t i = 0; i < codes_.size(); ++i) {
      if (periods_[i]) asking.emplace(codes_[i], i);
    }
    std::vector<held_rows<4>> held(codes_.size());
    std::vector<bool> stored(codes_.size(), false);
    std::size_t held_count = 0;
    auto store_held = [&]() -> status {
      for (std::size_t i = 0; i < codes_.size(); ++i) {
        if (held[i].count() == 0) continue;
        credit_tbl_t table = table_of(codes_[i], held[i]);
        stored[i] = true;
        if (sink_.store(ctx_, codes_[i], table) == status::stopped) return interrupted_status(ctx_);
      }
      held_count = 0;
      return status::ok;
    };
    ctx_.progress.start_pass(label(), kUnitWeeks, weeks.size());
    for (std::size_t k = 0; k < weeks.size(); ++k) {
      ctx_.pump();
      if (ctx_.run_interrupted()) return interrupted_status(ctx_);
      ctx_.progress.at_item(k + 1);
      ctx_.set_label1(slash_text(weeks[k]) + " 信用売買残処理中", label_colour::blue);
      std::vector<margin_week_row> rows;
      const api_outcome got = week_rows(weeks[k], rows);
      if (got.end == api_end::stopped) return interrupted_status(ctx_);
      if (got.end == api_end::not_in_plan) {
        refuse(got);
        break;
      }
      if (got.end != api_end::done) {
        // The weeks before are stored; every stock still asking counts the rest as missing.
        if (const status s = store_held(); s == status::stopped) return s;
        for (std::size_t i = 0; i < codes_.size(); ++i) {
          const auto& span = periods_[i];
          if (!span || span->last < weeks[k]) continue;
          ctx_.failures.add({codes_[i], label(),
                             span_text({std::max(span->first, weeks[k]), span->last}),
                             got.message});
        }
        break;
      }
      for (margin_week_row& w : rows) {
        const auto it = asking.find(w.code);
        if (it == asking.end()) continue;
        const date_span& span = *periods_[it->second];
        if (w.day < span.first || span.last < w.day) continue;
        held[it->second].add(w.row);
        ++held_count;
      }
      if (held_count >= kHeldRows) {
        if (const status s = store_held(); s == status::stopped) return s;
      }
    }
    if (const status s = store_held(); s == status::stopped) return s;
    for (std::size_t i = 0; i < codes_.size(); ++i) {
      if (stored[i] || skipped_[i]) continue;
      held_rows<4> none;
      credit_tbl_t table = table_of(codes_[i], none);
      if (sink_.store(ctx_, codes_[i], table) == status::stopped) return interrupted_status(ctx_);
    }
    return status::ok;
  }

  run_context& ctx_;
  jquants_run& run_;
  const std::vector<std::string>& codes_;
  margin_sink& sink_;
  std::vector<bool> skipped_;
  std::vector<std::optional<date_span>> periods_;
  std::vector<date> business_days_;
  bool refused_ = false;
  enum class date_reading { unknown, reference, publication };
  date_reading reading_ = date_reading::unknown;
};

}  // namespace

std::vector<date> week_dates(const std::vector<date>& business_days) {
  std::vector<date> out;
  for (std::size_t i = 0; i < business_days.size(); ++i) {
    const date& d = business_days[i];
    const bool last_of_week = i + 1 == business_days.size() ||
                              days_between(d, business_days[i + 1]) > 6 - weekday_from_monday(d);
    if (last_of_week) out.push_back(d);
  }
  return out;
}

status jquants_margin::collect_margin(run_context& ctx, const std::vector<std::string>& codes,
                                      margin_sink& sink) {
  run_.issues.forget();
  return margin_walk(ctx, run_, codes, sink).collect();
}

}  // namespace karigane
