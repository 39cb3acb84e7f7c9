// The quote site's data set, the one API every page renderer reads: the stocks and indexes,
// the trading calendar up to the data set's "today", daily rows (real where a real price file
// covers the day, generated elsewhere), split events, and the days a stock is listed and
// trades (a stock listed or delisted within the span has rows only while listed; a whole-day
// trading halt leaves a listed day without a trade). Unadjusted prices jump by the split ratio
// on a split's date; the adjusted close is on today's share basis. Its data are fixed once
// built; the one thing that changes is a cache of each stock's price generator (whose monthly
// levels from 1983 cost more than a page's days), behind its own locks, so renderers on many
// server threads share it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/dates.h"
#include "generated_prices.h"
#include "price_rows.h"
#include "split_table.h"
#include "stock_table.h"
#include "trading_calendar.h"

namespace karigane::quote_site {

// What a data set is made of.
struct market_sources {
  stock_table stocks;
  split_table splits;
  // Real unadjusted rows by program code, ascending; they replace generated rows from their
  // first to their last day. The rows of 1001 also give the market's trading calendar.
  std::unordered_map<std::string, std::vector<price_row>> real_prices;
  // Whole-day trading halts by program code, ascending.
  std::unordered_map<std::string, std::vector<date>> halts;
  std::uint64_t seed = 1;
  local_time now;
};

class market_data {
 public:
  explicit market_data(market_sources sources);

  const stock_table& stocks() const { return src_.stocks; }
  const stock_info* find(std::string_view program_code) const { return src_.stocks.find(program_code); }
  const local_time& now() const { return src_.now; }
  const date& today() const { return src_.now.day; }
  std::uint64_t seed() const { return src_.seed; }
  const trading_calendar& calendar() const { return calendar_; }

  // The first day of the data set (the first trading day of 1983).
  static date first_day() { return {1983, 1, 1}; }

  // The market's newest trading day, at most today.
  date latest_trading_day() const;

  // False on a listed day without a trade: a trading halt, and the market's newest trading
  // day for the few stocks (about one in forty, never an index) that did not trade on it (the
  // search pages show their previous trade). Such a day has no row on the pages.
  bool traded_on(const stock_info& stock, const date& d) const;

  // The market's trading days in [from, to] on which the stock was listed, at most up to
  // today, ascending; days without a trade included.
  std::vector<date> listed_days(const stock_info& stock, const date& from, const date& to) const;

  // The stock's trading days in [from, to], at most up to today, ascending: its listed days
  // on which it traded.
  std::vector<date> trading_days(const stock_info& stock, const date& from, const date& to) const;

  // The rows of the given trading days (ascending), in the same order.
  std::vector<price_row> daily_rows(const stock_info& stock, std::span<const date> days) const;

  // The stock's splits dated in [from, to], at most up to today, ascending.
  std::vector<split_event> splits(const stock_info& stock, const date& from, const date& to) const;

  // The product of the ratios of the stock's splits after `d` up to today: an unadjusted
  // price of day `d` divided by it is on today's share basis.
  double later_split_factor(const stock_info& stock, const date& d) const;

 private:
  // A stock's generator, made once and kept: the pages of a collection or an update ask for
  // every stock, and each would otherwise walk the monthly levels from 1983 again.
  struct cached_generator {
    std::mutex lock;
    price_generator generator;
  };
  cached_generator& generator_of(const stock_info& stock) const;

  market_sources src_;
  trading_calendar calendar_;
  mutable std::mutex generators_lock_;
  mutable std::unordered_map<std::string, std::unique_ptr<cached_generator>> generators_;
};

}  // namespace karigane::quote_site
