// Expected statement lines from the quote site's data set: see site_data.h.
#include "site_data.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "data_set_loader.h"

namespace karigane::testing {
namespace {

using quote_site::statement_figures;
using quote_site::statement_kind;

std::string two_digits(int v) {
  std::string t = std::to_string(v);
  if (v < 10) t.insert(t.begin(), '0');
  return t;
}

// Hundredths as a plain decimal with two places: -2270 -> "-22.70".
std::string hundredths(std::int64_t v) {
  const std::string sign = v < 0 ? "-" : "";
  const std::int64_t a = v < 0 ? -v : v;
  return sign + std::to_string(a / 100) + "." + two_digits(static_cast<int>(a % 100));
}

std::string tenths(std::int64_t v) {
  const std::string sign = v < 0 ? "-" : "";
  const std::int64_t a = v < 0 ? -v : v;
  return sign + std::to_string(a / 10) + "." + std::to_string(a % 10);
}

record record_of(const statement_figures& f, statement_kind kind) {
  const bool independent = kind == statement_kind::independent;
  const bool interim = kind == statement_kind::interim;
  record r;
  r[0] = std::to_string(f.period_end.y) + two_digits(f.period_end.m) + "00";
  r[1] = std::to_string(f.announced.y) + two_digits(f.announced.m) + two_digits(f.announced.d);
  r[2] = std::to_string(f.months);
  r[3] = std::to_string(f.sales);
  r[4] = std::to_string(f.operating_profit);
  r[5] = std::to_string(f.ordinary_profit);
  r[6] = std::to_string(f.net_profit);
  r[7] = hundredths(f.eps);
  if (!interim) r[8] = f.has_diluted_eps ? hundredths(f.diluted_eps) : "---";
  if (independent) r[9] = hundredths(f.dividend);
  if (independent) r[10] = f.has_payout_ratio ? tenths(f.payout_ratio) + "%" : "---";
  r[11] = hundredths(f.bps);
  if (independent) r[12] = std::to_string(f.shares);
  r[13] = std::to_string(f.total_assets);
  r[14] = std::to_string(f.equity);
  r[15] = std::to_string(f.capital);
  r[16] = std::to_string(f.interest_bearing_debt);
  if (independent) r[17] = std::to_string(f.retained_earnings);
  r[18] = tenths(f.equity_ratio);
  r[19] = f.has_unrealized_gains ? std::to_string(f.unrealized_gains) : "---";
  if (!interim) {
    r[20] = tenths(f.roa);
    r[21] = tenths(f.roe);
    r[22] = tenths(f.ordinary_roa);
  }
  return r;
}

// A column of "‐" cells: the dates become "---", the other shown fields keep the mark.
record missing_period(statement_kind kind) {
  statement_figures any;
  record r = record_of(any, kind);
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (r[i].empty()) continue;
    r[i] = i < 2 ? "---" : "‐";
  }
  return r;
}

}  // namespace

std::vector<record> expected_records(const quote_site::market_data& data, const std::string& code,
                                     statement_kind kind) {
  const quote_site::stock_info* stock = data.find(code);
  if (stock == nullptr) throw std::runtime_error("no stock " + code);
  std::vector<record> out;
  const auto periods = quote_site::shown_statements(data, *stock, kind);
  if (periods.empty()) return out;
  for (const auto& f : periods) out.push_back(record_of(f, kind));
  const std::size_t columns = kind == statement_kind::interim ? 2 : 3;
  while (out.size() < columns) out.push_back(missing_period(kind));
  return out;
}

namespace {

std::string line_of(const record& r) {
  std::string line;
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (i == 10) continue;
    if (i > 0) line += ",";
    line += r[i];
  }
  return line;
}

}  // namespace

const quote_site::market_data& site_data(const std::string& now) {
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<quote_site::market_data>> built;
  std::lock_guard lock(mutex);
  auto& slot = built[now];
  if (!slot) {
    quote_site::market_sources sources;
    std::string error;
    if (!quote_site::load_factory_sources(KARIGANE_DATA_DIR_FOR_TESTS, sources, error)) {
      throw std::runtime_error(error);
    }
    sources.seed = 1;
    sources.now = *parse_local_time(now);
    slot = std::make_unique<quote_site::market_data>(std::move(sources));
  }
  return *slot;
}

std::string expected_stock_lines(const quote_site::market_data& data, const std::string& code,
                                 statement_kind kind, int& count) {
  const std::vector<record> records = expected_records(data, code, kind);
  count = static_cast<int>(records.size());
  std::string lines;
  for (auto it = records.rbegin(); it != records.rend(); ++it) lines += line_of(*it) + "\r\n";
  return lines;
}

std::string expected_summary_line(const quote_site::market_data& data, const std::string& code,
                                  statement_kind kind) {
  const std::vector<record> records = expected_records(data, code, kind);
  if (records.empty()) return {};
  return code + "," + data.find(code)->name + "," + line_of(records.front());
}

}  // namespace karigane::testing
