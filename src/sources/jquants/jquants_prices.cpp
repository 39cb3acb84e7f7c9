// Prices from J-Quants: see jquants_prices.h.
#include "sources/jquants/jquants_prices.h"

#include <algorithm>
#include <unordered_map>

#include "core/text.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"
#include "sources/jquants/held_rows.h"
#include "sources/jquants/query_walk.h"

namespace karigane {
namespace {

constexpr const char* kUnitDays = "日";
// Day by day: the rows held before they are stored (some 45 bytes each).
constexpr std::size_t kHeldRows = 1'000'000;

const char* label() { return kind_of(kind_id::prices).name; }

// One stock's rows as they arrive, oldest first: its price rows (compact, for the whole market
// held day by day) and its splits.
struct arrived_rows {
  held_rows<7> prices;
  std::vector<bunkatu_row> splits;

  void add(run_context& ctx, const day_bar& bar) {
    if (bar.traded()) prices.add(price_row_of(bar));
    if (!bar.splits()) return;
    if (std::optional<bunkatu_row> split = split_row_of(bar)) {
      splits.push_back(std::move(*split));
    } else {
      ctx.failures.add({bar.code, kSplitsLabel, slash_text(bar.day),
                        "調整係数 " + std::to_string(*bar.factor) + " を株数の比にできません。"});
    }
  }
  bool empty() const { return prices.count() == 0 && splits.empty(); }
};

// The tables the sink stores: rows newest first, headers with the stock's market and name.
price_rows tables_of(const price_target& target, const std::string& name, arrived_rows& got) {
  price_rows rows = empty_price_rows(target.code);
  rows.prices[0][kPriceMarket] = is_program_index_code(target.code) ? "" : target.market_name;
  rows.prices[0][kPriceName] = name;
  rows.splits[0][kSplitName] = name;
  got.prices.move_newest_first(rows.prices);
  rows.splits.insert(rows.splits.end(), got.splits.rbegin(), got.splits.rend());
  const std::size_t n = rows.prices.size() - 1;
  rows.prices[0][kPriceCount] = num_text(static_cast<std::int64_t>(n));
  if (n > 0) {
    rows.prices[0][kPriceNewest] = rows.prices[1][0];
    rows.prices[0][kPriceOldest] = rows.prices[n][0];
  }
  rows.splits[0][kSplitCount] = num_text(static_cast<std::int64_t>(rows.splits.size() - 1));
  got = {};
  return rows;
}

void note_failed(run_context& ctx, const std::string& code, const date_span& span,
                 const api_outcome& outcome) {
  if (outcome.end == api_end::failed || outcome.end == api_end::not_in_plan) {
    ctx.failures.add({code, label(), span_text(span), outcome.message});
  }
}

class price_walk {
 public:
  price_walk(run_context& ctx, jquants_run& run, const std::vector<price_target>& targets,
             price_sink& sink)
      : ctx_(ctx), run_(run), targets_(targets), sink_(sink) {}

  status collect() {
    // Every target's days first: the choice between the walks needs them all.
    ctx_.progress.start_pass(label(), kUnitStocks, targets_.size());
    requests_.reserve(targets_.size());
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      ctx_.pump();
      if (ctx_.run_interrupted()) return interrupted_status(ctx_);
      ctx_.progress.at_item(i + 1, targets_[i].code);
      const stock_request r = sink_.request_of(ctx_, targets_[i]);
      requests_.push_back(r);
      periods_.push_back(std::nullopt);
      if (!r.skipped && r.period && !r.period->start.empty() && !r.period->end.empty() &&
          !(r.period->end < r.period->start)) {
        periods_.back() = run_.client.clip(ctx_, {r.period->start, r.period->end});
      }
    }
    warn_of_indexes();
    std::vector<std::optional<date_span>> stock_periods = periods_;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      if (is_program_index_code(targets_[i].code)) stock_periods[i].reset();
    }
    const std::optional<date_span> hull = hull_of(stock_periods);
    std::vector<date> in_hand;
    if (run_.latest_day) in_hand.push_back(run_.latest_day->day);
    walk_choice choice;
    const auto asking = std::count_if(stock_periods.begin(), stock_periods.end(),
                                      [](const auto& p) { return p.has_value(); });
    const std::optional<query_walk> forced = forced_walk();
    // One stock asking is one query by code (none by date only with the latest day in hand).
    if (hull && (asking > 1 || !in_hand.empty() || forced)) {
      const std::vector<date> days = run_.client.business_days(ctx_, *hull);
      if (ctx_.run_interrupted()) return interrupted_status(ctx_);
      choice = choose_walk(stock_periods, days, in_hand);
    }
    if (forced) choice.walk = *forced;
    if (choice.walk == query_walk::by_code) return by_code();
    if (const status s = by_date(choice.days); s == status::stopped) return s;
    return indexes_by_code();
  }

 private:
  // The stock's rows over its days, one query (and its pages).
  api_outcome fetch_stock(const price_target& target, const date_span& span, arrived_rows& got) {
    const std::string& code = target.code;
    if (is_program_index_code(code)) {
      if (code != kTopixCode || !run_.client.plan_has(api_endpoint::topix)) return {};
      return run_.client.get(ctx_, api_endpoint::topix,
                             {{"from", api_date(span.first)}, {"to", api_date(span.last)}},
                             [&](const api_row& row) {
                               const auto day_text = row.text("Date");
                               const auto day = day_text ? date_of_api(*day_text) : std::nullopt;
                               if (!day || *day < span.first || span.last < *day) return;
                               day_bar bar{code,
                                           *day,
                                           row.number("O").value_or(""),
                                           row.number("H").value_or(""),
                                           row.number("L").value_or(""),
                                           row.number("C").value_or(""),
                                           "",
                                           "",
                                           std::nullopt};
                               got.add(ctx_, bar);
                             });
    }
    return run_.client.get(
        ctx_, api_endpoint::daily_bars,
        {{"code", api_code_of(code)}, {"from", api_date(span.first)}, {"to", api_date(span.last)}},
        [&](const api_row& row) {
          const std::optional<day_bar> bar = day_bar_of(row);
          if (bar && bar->code == code && !(bar->day < span.first) && !(span.last < bar->day)) {
            got.add(ctx_, *bar);
          }
        });
  }

  // One target by code: its query, then its store (also with nothing, for the yearly copies).
  status one_by_code(std::size_t i) {
    if (requests_[i].skipped) return status::ok;
    const price_target& target = targets_[i];
    arrived_rows got;
    if (const auto& span = periods_[i]) {
      ctx_.set_label1(target.code + " " + span_text(*span) + " 時系列株価処理中",
                      label_colour::blue);
      const api_outcome outcome = fetch_stock(target, *span, got);
      if (outcome.end == api_end::stopped) return interrupted_status(ctx_);
      if (outcome.end != api_end::done) {
        note_failed(ctx_, target.code, *span, outcome);
        got = {};
      }
    }
    price_rows rows = tables_of(target, run_.name_of(ctx_, target.code), got);
    return sink_.store(ctx_, target.code, rows);
  }

  status by_code() {
    std::vector<std::string> codes;
    for (const price_target& t : targets_) codes.push_back(t.code);
    return for_each_stock(ctx_, label(), codes, [&](std::size_t i) { return one_by_code(i); });
  }

  status indexes_by_code() {
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      if (!is_program_index_code(targets_[i].code)) continue;
      if (one_by_code(i) == status::stopped) return interrupted_status(ctx_);
    }
    return status::ok;
  }

  // Stores every stock's held rows, in the targets' order.
  status store_held() {
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      if (held_[i].empty()) continue;
      price_rows rows = tables_of(targets_[i], run_.name_of(ctx_, targets_[i].code), held_[i]);
      stored_[i] = true;
      if (sink_.store(ctx_, targets_[i].code, rows) == status::stopped) {
        return interrupted_status(ctx_);
      }
    }
    held_count_ = 0;
    return status::ok;
  }

  status by_date(const std::vector<date>& days) {
    std::unordered_map<std::string, std::size_t> asking;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      if (periods_[i] && !is_program_index_code(targets_[i].code))
        asking.emplace(targets_[i].code, i);
    }
    held_.assign(targets_.size(), {});
    stored_.assign(targets_.size(), false);
    ctx_.progress.start_pass(label(), kUnitDays, days.size());
    market_day fetched;
    for (std::size_t k = 0; k < days.size(); ++k) {
      const date& day = days[k];
      ctx_.pump();
      if (ctx_.run_interrupted()) return interrupted_status(ctx_);
      ctx_.progress.at_item(k + 1);
      ctx_.set_label1(slash_text(day) + " 時系列株価処理中", label_colour::blue);
      const market_day* market = nullptr;
      if (run_.latest_day && run_.latest_day->day == day) {
        market = &*run_.latest_day;
      } else {
        const api_outcome outcome = market_bars(ctx_, run_.client, day, fetched);
        if (outcome.end == api_end::stopped) return interrupted_status(ctx_);
        if (outcome.end != api_end::done) return end_walk_at(day, outcome);
        market = &fetched;
      }
      for (const day_bar& bar : market->bars) {
        const auto it = asking.find(bar.code);
        if (it == asking.end()) continue;
        const date_span& span = *periods_[it->second];
        if (bar.day < span.first || span.last < bar.day) continue;
        held_[it->second].add(ctx_, bar);
        ++held_count_;
      }
      if (held_count_ >= kHeldRows) {
        if (const status s = store_held(); s == status::stopped) return s;
      }
    }
    return finish_by_date();
  }

  // A day that could not be had: the days before it are stored, and every stock that still
  // asks counts the rest of its days as not collected.
  status end_walk_at(const date& day, const api_outcome& outcome) {
    if (const status s = store_held(); s == status::stopped) return s;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      const auto& span = periods_[i];
      if (!span || is_program_index_code(targets_[i].code) || span->last < day) continue;
      note_failed(ctx_, targets_[i].code, {std::max(span->first, day), span->last}, outcome);
    }
    return finish_by_date();
  }

  status finish_by_date() {
    if (const status s = store_held(); s == status::stopped) return s;
    // A stock that got no row is stored too: its yearly copies are written as a stock by code.
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      if (stored_[i] || requests_[i].skipped || is_program_index_code(targets_[i].code)) continue;
      arrived_rows none;
      price_rows rows = tables_of(targets_[i], run_.name_of(ctx_, targets_[i].code), none);
      if (sink_.store(ctx_, targets_[i].code, rows) == status::stopped) {
        return interrupted_status(ctx_);
      }
    }
    return status::ok;
  }

  // The index codes J-Quants does not have are said once, not counted: a range of codes holds
  // them, and a daily run would otherwise never end without failures.
  void warn_of_indexes() {
    std::string missing;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      const std::string& code = targets_[i].code;
      if (!periods_[i] || !is_program_index_code(code)) continue;
      if (code == kTopixCode && run_.client.plan_has(api_endpoint::topix)) continue;
      missing += (missing.empty() ? "" : ", ") + code;
    }
    if (!missing.empty()) {
      ctx_.warn("J-Quants（" + std::string(jquants_plan_name(run_.client.settings().plan)) +
                " プラン）にない指数の時系列は集めません: " + missing +
                "（TOPIX 1002 は Light プラン以上）");
    }
  }

  run_context& ctx_;
  jquants_run& run_;
  const std::vector<price_target>& targets_;
  price_sink& sink_;
  std::vector<stock_request> requests_;
  std::vector<std::optional<date_span>> periods_;
  std::vector<arrived_rows> held_;
  std::vector<bool> stored_;
  std::size_t held_count_ = 0;
};

}  // namespace

status jquants_prices::collect_prices(run_context& ctx, const std::vector<price_target>& targets,
                                      price_sink& sink) {
  run_.issues.forget();
  return price_walk(ctx, run_, targets, sink).collect();
}

}  // namespace karigane
