// The issues of the J-Quants API as the quote site serves them: the stocks of the data set
// listed on the Tokyo Stock Exchange (not the indexes, not the stocks of the regional exchanges
// only), their five-character codes, and their market segments. The data set's market names map
// to the segments of their day:
//   market name            before 2022-04-04                 from 2022-04-04
//   東証1部, 大証1部       0101 市場第一部                   0111 プライム
//   東証2部, 大証2部       0102 市場第二部                   0112 スタンダード
//   JQS                    0106 JASDAQ(スタンダード)         0112 スタンダード
//   マザーズ               0104 マザーズ                     0113 グロース
//   JQG                    0107 JASDAQ(グロース)             0113 グロース
//   東証外国, 大証外国部, JQ外国部   0109 その他             0109 その他
//   東証プライム, 東証スタンダード, 東証グロース   0111, 0112, 0113
// The Osaka and JASDAQ markets count as Tokyo throughout (their cash markets merged into the
// TSE in 2013); every other market name (名証, 札証, 福証, ...) is not in the API.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "market_data.h"
#include "page_kind.h"

namespace karigane::quote_site {

struct market_segment {
  std::string_view code;  // "0111"
  std::string_view name;  // "プライム"
};

// The first day of the Prime, Standard and Growth segments.
inline constexpr date kSegmentReformDay{2022, 4, 4};

// The segment of the stock's market on day `d`; nothing when the API does not cover it.
std::optional<market_segment> segment_of(const stock_info& stock, const date& d);

// A stock the API serves.
bool in_api(const stock_info& stock);

// The API's code of a stock: the program code and "0" ("72030", "130A0").
std::string api_code(const stock_info& stock);

// The stock a code parameter names ("72030" or "7203"), when the API serves it.
const stock_info* issue_of_code(const market_data& data, std::string_view code);

// The issues a request is about, in code order: the one its code parameter names (none for a
// code the API does not serve), or without a code every issue.
std::vector<const stock_info*> requested_issues(const market_data& data, const param_map& params);

}  // namespace karigane::quote_site
