// The data set: see market_data.h.
#include "market_data.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "deterministic_random.h"

namespace karigane::quote_site {
namespace {

const std::vector<date> kNoDays;

std::vector<date> days_of(const std::vector<price_row>& rows) {
  std::vector<date> days;
  days.reserve(rows.size());
  for (const auto& r : rows) days.push_back(r.day);
  return days;
}

// Prices are quoted in whole yen for stocks and in hundredths for indexes.
std::int64_t to_tick(double value, bool index) {
  const double hundredths = value * 100.0;
  if (index) return std::max<std::int64_t>(1, std::llround(hundredths));
  return std::max<std::int64_t>(100, std::llround(hundredths / 100.0) * 100);
}

}  // namespace

market_data::market_data(market_sources sources) : src_(std::move(sources)) {
  const auto it = src_.real_prices.find("1001");
  calendar_ = trading_calendar(first_day(), today(), it == src_.real_prices.end() ? kNoDays : days_of(it->second));
}

date market_data::latest_trading_day() const {
  const auto days = calendar_.between(first_day(), today());
  return days.empty() ? first_day() : days.back();
}

bool market_data::traded_on(const stock_info& stock, const date& d) const {
  if (const auto it = src_.halts.find(stock.code);
      it != src_.halts.end() && std::binary_search(it->second.begin(), it->second.end(), d)) {
    return false;
  }
  if (stock.is_index() || d != latest_trading_day()) return true;
  return hash_of({src_.seed, text_key(stock.code), text_key("no trade"),
                  static_cast<std::uint64_t>(days_from_civil(d))}) % 40 != 7;
}

std::vector<date> market_data::trading_days(const stock_info& stock, const date& from,
                                            const date& to) const {
  std::vector<date> out = listed_days(stock, from, to);
  if (src_.halts.count(stock.code) != 0) {
    std::erase_if(out, [&](const date& d) { return !traded_on(stock, d); });
  } else if (!out.empty() && !traded_on(stock, out.back())) {
    out.pop_back();
  }
  return out;
}

std::vector<date> market_data::listed_days(const stock_info& stock, const date& from_in,
                                           const date& to) const {
  const date from = stock.listed.empty() ? from_in : std::max(from_in, stock.listed);
  date last = std::min(to, today());
  if (!stock.last_day.empty()) last = std::min(last, stock.last_day);
  std::vector<date> out;
  if (last < from) return out;
  auto add_calendar = [&](const date& a, const date& b) {
    const auto span = calendar_.between(a, b);
    out.insert(out.end(), span.begin(), span.end());
  };
  const auto it = src_.real_prices.find(stock.code);
  if (it == src_.real_prices.end() || it->second.empty()) {
    add_calendar(from, last);
    return out;
  }
  const auto& real = it->second;
  const date real_first = real.front().day;
  const date real_last = real.back().day;
  add_calendar(from, std::min(last, add_days(real_first, -1)));
  for (const auto& r : real) {
    if (!(r.day < from) && !(last < r.day)) out.push_back(r.day);
  }
  add_calendar(std::max(from, add_days(real_last, 1)), last);
  return out;
}

double market_data::later_split_factor(const stock_info& stock, const date& d) const {
  double f = 1.0;
  for (const auto& e : src_.splits.of(stock.code)) {
    if (d < e.day && !(today() < e.day)) f *= e.ratio;
  }
  return f;
}

std::vector<split_event> market_data::splits(const stock_info& stock, const date& from,
                                             const date& to) const {
  std::vector<split_event> out;
  const date last = std::min(to, today());
  for (const auto& e : src_.splits.of(stock.code)) {
    if (!(e.day < from) && !(last < e.day)) out.push_back(e);
  }
  return out;
}

market_data::cached_generator& market_data::generator_of(const stock_info& stock) const {
  const std::lock_guard hold(generators_lock_);
  std::unique_ptr<cached_generator>& slot = generators_[stock.code];
  if (!slot) {
    slot.reset(new cached_generator{{}, price_generator(src_.seed, stock.code, stock.is_index())});
  }
  return *slot;
}

std::vector<price_row> market_data::daily_rows(const stock_info& stock,
                                               std::span<const date> days) const {
  std::vector<price_row> out;
  out.reserve(days.size());
  const bool index = stock.is_index();
  const auto real_it = src_.real_prices.find(stock.code);
  const std::vector<price_row>* real =
      (real_it == src_.real_prices.end() || real_it->second.empty()) ? nullptr : &real_it->second;
  cached_generator& cached = generator_of(stock);
  const std::lock_guard hold(cached.lock);
  // Generated prices next to a real series are scaled to meet it at both ends.
  std::optional<double> scale_before;
  std::optional<double> scale_after;
  auto generator = [&]() -> price_generator& { return cached.generator; };
  auto meeting_scale = [&](const price_row& r) {
    const double real_adjusted = r.close / 100.0 / later_split_factor(stock, r.day);
    const double generated = generator().day(r.day).close;
    return generated > 0 ? real_adjusted / generated : 1.0;
  };

  for (const date& d : days) {
    const double factor = later_split_factor(stock, d);
    price_row row;
    const price_row* real_row = nullptr;
    if (real != nullptr) {
      const auto pos = std::lower_bound(real->begin(), real->end(), d,
                                        [](const price_row& r, const date& x) { return r.day < x; });
      if (pos != real->end() && pos->day == d) real_row = &*pos;
    }
    if (real_row != nullptr) {
      row = *real_row;
    } else {
      double scale = 1.0;
      if (real != nullptr && d < real->front().day) {
        if (!scale_before) scale_before = meeting_scale(real->front());
        scale = *scale_before;
      } else if (real != nullptr && real->back().day < d) {
        if (!scale_after) scale_after = meeting_scale(real->back());
        scale = *scale_after;
      }
      const generated_day g = generator().day(d);
      row.day = d;
      row.open = to_tick(g.open * scale * factor, index);
      row.close = to_tick(g.close * scale * factor, index);
      row.high = std::max({to_tick(g.high * scale * factor, index), row.open, row.close});
      row.low = std::min({to_tick(g.low * scale * factor, index), row.open, row.close});
      const double shares = g.volume / factor;
      row.volume = index ? std::llround(shares / 1000.0) * 1000
                         : std::max<std::int64_t>(100, std::llround(shares / 100.0) * 100);
    }
    row.adjusted_close = std::llround(static_cast<double>(row.close) / factor);
    out.push_back(row);
  }
  return out;
}

}  // namespace karigane::quote_site
