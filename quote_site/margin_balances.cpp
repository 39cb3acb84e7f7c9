// Weekly margin balances: see margin_balances.h.
#include "margin_balances.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "deterministic_random.h"
#include "page_html.h"

namespace karigane::quote_site {
namespace {

// Purpose tags keep the hash streams apart (and apart from the price generator's).
enum : std::uint64_t { kMarginBase = 101, kRatioBase, kBuyAnchor, kSellAnchor, kBuyWeek, kSellWeek };

constexpr long kWeeksPerAnchor = 13;  // the levels wander quarter by quarter
constexpr std::int64_t kLot = 100;

// Weeks are numbered by their Friday (1970-01-02 is week 0); a day that is not a Friday
// belongs to the number of the latest Friday on or before it.
long week_number(const date& d) { return (days_from_civil(d) - 1) / 7; }

date friday_of(long week) { return civil_from_days(week * 7 + 1); }

class balance_generator {
 public:
  balance_generator(std::uint64_t seed, const std::string& code)
      : key_(hash_of({seed, text_key(code)})) {
    // Bought from 5,000 to 5 million shares; sold a tenth to nine tenths of that.
    buy_base_ = std::log(5e3) + unit_value(hash_of({key_, kMarginBase})) * std::log(1e3);
    sell_base_ = buy_base_ + std::log(0.1 + 0.8 * unit_value(hash_of({key_, kRatioBase})));
  }

  std::int64_t buy(long week) const { return shares(buy_base_, kBuyAnchor, kBuyWeek, week); }
  std::int64_t sell(long week) const { return shares(sell_base_, kSellAnchor, kSellWeek, week); }

 private:
  double anchor(std::uint64_t tag, long n) const {
    return 0.5 * normal_value(hash_of({key_, tag, static_cast<std::uint64_t>(n)}));
  }

  std::int64_t shares(double base, std::uint64_t anchor_tag, std::uint64_t week_tag, long week) const {
    const long n = week / kWeeksPerAnchor;
    const double frac = static_cast<double>(week % kWeeksPerAnchor) / kWeeksPerAnchor;
    const double smooth = anchor(anchor_tag, n) + (anchor(anchor_tag, n + 1) - anchor(anchor_tag, n)) * frac;
    const double noise = 0.08 * normal_value(hash_of({key_, week_tag, static_cast<std::uint64_t>(week)}));
    const double value = std::exp(base + smooth + noise);
    return std::max<std::int64_t>(kLot, std::llround(value / kLot) * kLot);
  }

  std::uint64_t key_;
  double buy_base_ = 0;
  double sell_base_ = 0;
};

}  // namespace

std::vector<margin_week> margin_weeks(const market_data& data, const stock_info& stock,
                                      const date& from, const date& to) {
  std::vector<margin_week> out;
  if (stock.is_index()) return out;
  // A week is shown once it has ended: its Friday lies before today.
  const date last = std::min(to, add_days(data.today(), -1));
  if (last < from || last < market_data::first_day()) return out;
  const balance_generator gen(data.seed(), stock.code);
  const long first_week = week_number(std::max(from, market_data::first_day()));
  for (long w = week_number(last) + 1; w >= first_week; --w) {
    const date friday = friday_of(w);
    if (!(friday < data.today())) continue;
    const auto days = data.calendar().between(add_days(friday, -4), friday);
    if (days.empty()) continue;
    const date day = days.back();
    if (day < from || to < day || !stock.listed_on(day)) continue;
    margin_week row;
    row.day = day;
    row.sell = gen.sell(w);
    row.buy = gen.buy(w);
    // A stock's first week after its listing changes from nothing.
    const bool week_before = stock.listed_on(friday_of(w - 1));
    row.sell_change = row.sell - (week_before ? gen.sell(w - 1) : 0);
    row.buy_change = row.buy - (week_before ? gen.buy(w - 1) : 0);
    out.push_back(row);
  }
  return out;
}

std::string margin_ratio_text(const margin_week& week) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f",
                static_cast<double>(week.buy) / static_cast<double>(std::max<std::int64_t>(week.sell, 1)));
  return text;
}

std::string change_text(std::int64_t change) {
  std::string text = thousands(change);
  if (change > 0) text.insert(text.begin(), '+');
  return text;
}

}  // namespace karigane::quote_site
