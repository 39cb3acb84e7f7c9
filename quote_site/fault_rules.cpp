// Fault rules: see fault_rules.h.
#include "fault_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "core/text.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

constexpr std::array<std::pair<fault_mode, std::string_view>, 13> kModeNames{{
    {fault_mode::none, "none"},
    {fault_mode::hang, "hang"},
    {fault_mode::forbidden, "forbidden"},
    {fault_mode::drop, "drop"},
    {fault_mode::wrong_stock, "wrong-stock"},
    {fault_mode::wrong_period, "wrong-period"},
    {fault_mode::no_data, "no-data"},
    {fault_mode::no_stock, "no-stock"},
    {fault_mode::unlisted, "unlisted"},
    {fault_mode::nested, "nested"},
    {fault_mode::status_429, "status-429"},
    {fault_mode::status_500, "status-500"},
    {fault_mode::status_503, "status-503"},
}};

std::vector<std::string> split_codes(std::string_view list) {
  std::vector<std::string> codes;
  std::string current;
  auto flush = [&] {
    if (!current.empty()) codes.push_back(program_code_param(current));
    current.clear();
  };
  for (char c : list) {
    if (c == ',' || c == '+' || c == ' ') {
      flush();
    } else {
      current.push_back(c);
    }
  }
  flush();
  return codes;
}

bool rule_matches(const fault_rule& rule, std::string_view path, const std::vector<std::string>& codes) {
  if (!rule.path.empty() && rule.path != path) return false;
  if (rule.codes.empty()) return true;
  return std::any_of(codes.begin(), codes.end(), [&](const std::string& c) {
    return std::find(rule.codes.begin(), rule.codes.end(), c) != rule.codes.end();
  });
}

}  // namespace

std::string_view fault_mode_name(fault_mode mode) {
  for (const auto& [m, name] : kModeNames) {
    if (m == mode) return name;
  }
  return "none";
}

content_fault content_part(fault_mode mode) {
  switch (mode) {
    case fault_mode::wrong_stock: return content_fault::wrong_stock;
    case fault_mode::wrong_period: return content_fault::wrong_period;
    case fault_mode::no_data: return content_fault::no_data;
    case fault_mode::no_stock:
    case fault_mode::unlisted: return content_fault::no_stock;
    default: return content_fault::none;
  }
}

int fault_status(fault_mode mode) {
  switch (mode) {
    case fault_mode::status_429: return 429;
    case fault_mode::status_500: return 500;
    case fault_mode::status_503: return 503;
    default: return 0;
  }
}

bool fault_rule_from_params(const param_map& params, fault_rule& rule, std::string& error) {
  rule = fault_rule{};
  for (const auto& [key, value] : params) {
    if (key != "mode" && key != "codes" && key != "count" && key != "path" && key != "skip") {
      error = "unknown fault key \"" + key + "\" (mode, codes, count, path, skip)";
      return false;
    }
  }
  const auto mode_it = params.find("mode");
  const std::string mode = mode_it == params.end() ? std::string() : trim(mode_it->second);
  const auto named = std::find_if(kModeNames.begin(), kModeNames.end(),
                                  [&](const auto& m) { return m.second == mode; });
  if (named == kModeNames.end()) {
    error = "unknown fault mode \"" + mode +
            "\" (hang, forbidden, drop, wrong-stock, wrong-period, no-data, no-stock, unlisted, "
            "nested, status-429, status-500, status-503, none)";
    return false;
  }
  rule.mode = named->first;
  if (const auto it = params.find("codes"); it != params.end()) rule.codes = split_codes(it->second);
  if (const auto it = params.find("path"); it != params.end()) rule.path = trim(it->second);
  for (const auto& [key, field] : {std::pair<const char*, long*>{"count", &rule.count},
                                   std::pair<const char*, long*>{"skip", &rule.skip}}) {
    const auto it = params.find(key);
    if (it == params.end()) continue;
    const std::string t = trim(it->second);
    long n = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), n);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || n < 0) {
      error = "fault " + std::string(key) + " \"" + t + "\" is not a number of requests";
      return false;
    }
    *field = n;
  }
  return true;
}

bool parse_fault_rule(std::string_view text, fault_rule& rule, std::string& error) {
  param_map params;
  if (text.find('=') == std::string_view::npos) {
    params["mode"] = std::string(text);
  } else {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('&', start);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view part = text.substr(start, end - start);
      if (!part.empty()) {
        const std::size_t eq = part.find('=');
        if (eq == std::string_view::npos) {
          error = std::string(part);
          error += " is not key=value";
          return false;
        }
        params[std::string(part.substr(0, eq))] = std::string(part.substr(eq + 1));
      }
      start = end + 1;
    }
  }
  return fault_rule_from_params(params, rule, error);
}

fault_board::fault_board(std::vector<fault_rule> initial)
    : initial_(std::move(initial)), rules_(initial_) {}

void fault_board::add(fault_rule rule) {
  std::lock_guard lock(mutex_);
  if (rule.mode == fault_mode::none) {
    rules_.clear();
  } else {
    rules_.push_back(std::move(rule));
  }
}

void fault_board::reset() {
  std::lock_guard lock(mutex_);
  rules_ = initial_;
}

fault_mode fault_board::take(std::string_view path, const std::vector<std::string>& codes,
                             std::vector<std::string>* rule_codes) {
  std::lock_guard lock(mutex_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (!rule_matches(*it, path, codes)) continue;
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    const fault_mode mode = it->mode;
    if (rule_codes != nullptr) *rule_codes = it->codes;
    if (it->count > 0 && --it->count == 0) rules_.erase(it);
    return mode;
  }
  return fault_mode::none;
}

}  // namespace karigane::quote_site
