// Generated prices: see generated_prices.h.
#include "generated_prices.h"

#include <algorithm>
#include <cmath>

#include "deterministic_random.h"

namespace karigane::quote_site {
namespace {

constexpr int kOriginYear = 1983;
constexpr double kMonthlySigma = 0.06;
constexpr double kReversion = 0.03;

// Purpose tags keep the hash streams of different quantities apart.
enum : std::uint64_t { kBase = 1, kVolumeBase, kMonth, kDayClose, kDayOpen, kDayHigh, kDayLow,
                       kDayVolume };

long month_number(const date& d) { return (d.y - kOriginYear) * 12L + (d.m - 1); }

}  // namespace

price_generator::price_generator(std::uint64_t seed, std::string_view code, bool index)
    : key_(hash_of({seed, text_key(code)})), index_(index) {
  const double u = unit_value(hash_of({key_, kBase}));
  const double v = unit_value(hash_of({key_, kVolumeBase}));
  if (index) {
    base_ = std::log(500.0) + u * (std::log(20000.0) - std::log(500.0));
    base_volume_ = std::log(5e7) + v * (std::log(2e9) - std::log(5e7));
  } else {
    base_ = std::log(150.0) + u * (std::log(6000.0) - std::log(150.0));
    base_volume_ = std::log(2e3) + v * (std::log(3e6) - std::log(2e3));
  }
}

double price_generator::anchor(long month) {
  month = std::max(0L, month);
  if (anchors_.empty()) anchors_.push_back(base_);
  while (static_cast<long>(anchors_.size()) <= month) {
    const long m = static_cast<long>(anchors_.size());
    const double x = anchors_.back();
    const double step = kMonthlySigma * normal_value(hash_of({key_, kMonth, static_cast<std::uint64_t>(m)}));
    anchors_.push_back(x + step - kReversion * (x - base_));
  }
  return anchors_[static_cast<std::size_t>(month)];
}

double price_generator::level(long day_number) {
  const date d = civil_from_days(day_number);
  const long m = month_number(d);
  const double a = anchor(m);
  const double b = anchor(m + 1);
  const double frac = static_cast<double>(d.d - 1) / days_in_month(d.y, d.m);
  return a + (b - a) * frac;
}

generated_day price_generator::day(const date& d) {
  const long n = days_from_civil(d);
  const auto un = static_cast<std::uint64_t>(n);
  const double noise = index_ ? 0.008 : 0.012;
  auto daily = [&](std::uint64_t tag, long day) {
    return normal_value(hash_of({key_, tag, static_cast<std::uint64_t>(day)}));
  };
  const double close_log = level(n) + noise * daily(kDayClose, n);
  // The open starts near the previous day's close.
  const double open_log = level(n - 1) + noise * daily(kDayClose, n - 1) + 0.4 * noise * daily(kDayOpen, n);
  generated_day g;
  g.close = std::exp(close_log);
  g.open = std::exp(open_log);
  g.high = std::max(g.open, g.close) * std::exp(std::fabs(0.8 * noise * daily(kDayHigh, n)));
  g.low = std::min(g.open, g.close) * std::exp(-std::fabs(0.8 * noise * daily(kDayLow, n)));
  g.volume = std::exp(base_volume_ + 0.5 * normal_value(hash_of({key_, kDayVolume, un})));
  return g;
}

}  // namespace karigane::quote_site
