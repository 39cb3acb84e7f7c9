// The API's issues: see jquants_issues.h.
#include "jquants_issues.h"

#include <array>

namespace karigane::quote_site {
namespace {

struct market_mapping {
  std::string_view market_name;
  market_segment before_reform;
  market_segment after_reform;
};

constexpr market_segment kFirst{"0101", "市場第一部"};
constexpr market_segment kSecond{"0102", "市場第二部"};
constexpr market_segment kMothers{"0104", "マザーズ"};
constexpr market_segment kJasdaqStandard{"0106", "JASDAQ(スタンダード)"};
constexpr market_segment kJasdaqGrowth{"0107", "JASDAQ(グロース)"};
constexpr market_segment kOther{"0109", "その他"};
constexpr market_segment kPrime{"0111", "プライム"};
constexpr market_segment kStandard{"0112", "スタンダード"};
constexpr market_segment kGrowth{"0113", "グロース"};

constexpr std::array<market_mapping, 13> kMarkets{{
    {"東証1部", kFirst, kPrime},
    {"大証1部", kFirst, kPrime},
    {"東証2部", kSecond, kStandard},
    {"大証2部", kSecond, kStandard},
    {"JQS", kJasdaqStandard, kStandard},
    {"マザーズ", kMothers, kGrowth},
    {"JQG", kJasdaqGrowth, kGrowth},
    {"東証外国", kOther, kOther},
    {"大証外国部", kOther, kOther},
    {"JQ外国部", kOther, kOther},
    {"東証プライム", kPrime, kPrime},
    {"東証スタンダード", kStandard, kStandard},
    {"東証グロース", kGrowth, kGrowth},
}};

const market_mapping* mapping_of(const stock_info& stock) {
  if (stock.is_index()) return nullptr;
  for (const auto& m : kMarkets) {
    if (m.market_name == stock.market_name) return &m;
  }
  return nullptr;
}

}  // namespace

std::optional<market_segment> segment_of(const stock_info& stock, const date& d) {
  const market_mapping* m = mapping_of(stock);
  if (m == nullptr) return std::nullopt;
  return d < kSegmentReformDay ? m->before_reform : m->after_reform;
}

bool in_api(const stock_info& stock) { return mapping_of(stock) != nullptr; }

std::string api_code(const stock_info& stock) { return stock.code + "0"; }

const stock_info* issue_of_code(const market_data& data, std::string_view code) {
  if (code.size() == 5 && code.back() == '0') code.remove_suffix(1);
  if (code.size() != 4) return nullptr;
  const stock_info* stock = data.find(code);
  return stock != nullptr && in_api(*stock) ? stock : nullptr;
}

std::vector<const stock_info*> requested_issues(const market_data& data, const param_map& params) {
  std::vector<const stock_info*> out;
  if (const auto code = params.find("code"); code != params.end()) {
    if (const stock_info* stock = issue_of_code(data, code->second)) out.push_back(stock);
    return out;
  }
  for (const stock_info& stock : data.stocks().all()) {
    if (in_api(stock)) out.push_back(&stock);
  }
  return out;
}

}  // namespace karigane::quote_site
