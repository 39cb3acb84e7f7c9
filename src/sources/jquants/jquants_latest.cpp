// The latest day from J-Quants: see jquants_latest.h.
#include "sources/jquants/jquants_latest.h"

#include <unordered_map>

#include "core/text.h"
#include "kinds/data_kinds.h"

namespace karigane {
namespace {

// Daily bars are out at about 16:30; before 17:00 today's are not asked for.
constexpr int kBarsHour = 17;
// Days back from the newest one that may still lack bars (a day the service has not done).
constexpr int kDaysTried = 5;

}  // namespace

status jquants_latest::fetch_latest_day(run_context& ctx, const std::vector<std::string>& codes,
                                        data_d_table_t& table) {
  table.assign(1, {});
  label_data_d_header(table[0]);
  table[0][kDCode] = "0";
  table[0][kDMarket] = "0";
  if (ctx.stop_flag() || codes.empty()) return status::ok;
  jquants_client& client = run_.client;
  const local_time now = ctx.now();
  // The plan's delay is said once (Free: its newest day is twelve weeks old).
  client.clip(ctx, {now.day, now.day});
  date newest = std::min(client.covered(ctx).last, now.day);
  if (newest == now.day && now.hour < kBarsHour) newest = add_days(newest, -1);
  ctx.set_label1("最新日株価ダウンロード中　" + codes.front() + "～" + codes.back(),
                 label_colour::blue);
  const std::vector<date> days = client.business_days(ctx, {add_days(newest, -31), newest});
  if (ctx.run_interrupted()) return status(status::stopped, ctx.run_error());
  market_day day;
  int tried = 0;
  for (auto d = days.rbegin(); d != days.rend() && tried < kDaysTried; ++d, ++tried) {
    const api_outcome got = market_bars(ctx, client, *d, day);
    if (got.end == api_end::stopped) return status(status::stopped, ctx.run_error());
    if (got.end != api_end::done) return status::failure(got.message);
    if (!day.bars.empty()) break;
  }
  if (day.bars.empty()) return status::ok;
  run_.latest_day = day;

  std::unordered_map<std::string, const day_bar*> bars;
  for (const day_bar& b : run_.latest_day->bars) bars.emplace(b.code, &b);
  const std::string trade_date = yyyymmdd(day.day);
  std::vector<std::string> unnamed;
  for (const std::string& code : codes) {
    ctx.pump();
    data_d_record r;
    r[kDCode] = code;
    r[kDTradeDate] = trade_date;
    if (code == kTopixCode && client.plan_has(api_endpoint::topix)) {
      const api_outcome got = client.get(ctx, api_endpoint::topix,
                                         {{"from", api_date(day.day)}, {"to", api_date(day.day)}},
                                         [&](const api_row& row) {
                                           r[kDOpen] = row.number("O").value_or("");
                                           r[kDHigh] = row.number("H").value_or("");
                                           r[kDLow] = row.number("L").value_or("");
                                           r[kDClose] = row.number("C").value_or("");
                                         });
      if (got.end == api_end::stopped) return status(status::stopped, ctx.run_error());
      if (got.end != api_end::done || r[kDClose].empty()) continue;
      r[kDVolume] = kNoTradeText;
      r[kDName] = run_.name_of(ctx, code);
      if (r[kDName].empty()) r[kDName] = "TOPIX";
      table.push_back(std::move(r));
      continue;
    }
    const auto it = bars.find(code);
    if (it == bars.end()) continue;
    const day_bar& b = *it->second;
    if (b.traded()) {
      r[kDOpen] = b.open;
      r[kDHigh] = b.high;
      r[kDLow] = b.low;
      r[kDClose] = b.close;
      r[kDVolume] = b.volume.empty() ? kNoTradeText : b.volume;
    } else {
      r[kDOpen] = r[kDHigh] = r[kDLow] = r[kDClose] = r[kDVolume] = kNoTradeText;
    }
    if (const stock_entry* e = run_.issues.find(ctx, code); e && !e->market_name.empty()) {
      r[kDMarket] = e->market_name;
      r[kDName] = e->name;
    } else {
      unnamed.push_back(code);
    }
    table.push_back(std::move(r));
  }

  // Stocks the stock list does not hold yet get their market and name from the day's issues.
  if (!unnamed.empty()) {
    std::vector<stock_entry> issues;
    const api_outcome got = listed_issues(ctx, client, day.day, issues);
    if (got.end == api_end::stopped) return status(status::stopped, ctx.run_error());
    if (got.end != api_end::done) {
      ctx.failures.add({"", kStockListLabel, slash_text(day.day), got.message});
    }
    std::unordered_map<std::string, const stock_entry*> listed;
    for (const stock_entry& e : issues) listed.emplace(e.code, &e);
    for (std::size_t k = 1; k < table.size(); ++k) {
      if (!table[k][kDMarket].empty()) continue;
      if (const auto it = listed.find(table[k][kDCode]); it != listed.end()) {
        table[k][kDMarket] = it->second->market_name;
        table[k][kDName] = it->second->name;
      }
    }
  }
  table[0][kDCode] = trade_date;
  table[0][kDMarket] = num_text(static_cast<std::int64_t>(table.size() - 1));
  return status::ok;
}

std::vector<date> jquants_latest::market_days(run_context& ctx) {
  jquants_client& client = run_.client;
  const date_span c = client.covered(ctx);
  return client.business_days(ctx, {c.first, std::min(c.last, ctx.now().day)});
}

}  // namespace karigane
