// Stock list renewal: see stock_list_renewal.h.
#include "latest/stock_list_renewal.h"

#include <map>

#include "codes/stock_list.h"
#include "core/stock_code.h"
#include "core/text.h"

namespace karigane {

std::string market_letter(const std::string& market_name) {
  static const std::map<std::string, std::string> letters = {
      {"マザーズ", "t"}, {"東証", "t"},       {"東証1部", "t"},  {"東証1部外国", "t"},
      {"東証2部", "t"},  {"東証ETF", "t"},    {"東証指数", "t"}, {"札証", "s"},
      {"札幌ア", "s"},   {"JQS", "q"},        {"JQG", "q"},      {"JASDAQ外国部", "q"},
      {"JASDAQ", "q"},   {"大証", "o"},       {"大証1部", "o"},  {"大証2部", "o"},
      {"大証ETF", "o"},  {"大証外国部", "o"}, {"大証指数", "o"}, {"名古屋セ", "n"},
      {"名証1部", "n"},  {"名証2部", "n"},    {"名証ETF", "n"},  {"福岡Q", "f"},
      {"福証", "f"},
      // The TSE's markets since April 2022, and the names J-Quants' segments are given.
      {"東証プライム", "t"}, {"東証スタンダード", "t"}, {"東証グロース", "t"},
      {"東証PRO", "t"},    {"東証その他", "t"}};
  const auto it = letters.find(market_name);
  return it == letters.end() ? std::string() : it->second;
}

namespace {

stock_entry entry_of(const data_d_record& row) {
  return {row[kDCode], market_letter(row[kDMarket]), row[kDMarket], row[kDName]};
}

}  // namespace

void renew_stock_list(run_context& ctx, const program_layout& layout, const data_d_table_t& table) {
  if (ctx.stop_flag()) return;
  stock_list list;
  const status read = read_stock_list(ctx, layout, list);
  // A list that is there but cannot be read is left as it is (the reader reported it);
  // building it afresh from one run's search pages would lose every other stock.
  if (ctx.run_interrupted() || read.unusable()) return;
  const std::size_t n = data_d_count(table);
  const std::string latest = table.empty() ? std::string() : table[0][kDCode];
  std::vector<stock_entry>& entries = list.entries;

  if (!read || !list.has_count) {
    // No usable list: it is built afresh from what the search pages listed.
    list = stock_list{latest, "", "", true, {}};
    for (std::size_t k = 1; k <= n && !ctx.stop_flag(); ++k) entries.push_back(entry_of(table[k]));
  } else {
    std::size_t start = 0;
    std::string previous;
    for (std::size_t k = 1; k <= n; ++k) {
      // Codes in code order: "130A" between 1309 and 1310.
      const std::string& code = table[k][kDCode];
      // A code below the previous one is searched from the top again, so that a code that
      // stands earlier in the list is found instead of being inserted a second time.
      if (compare_codes(code, previous) < 0) start = 0;
      previous = code;
      for (std::size_t i = start;; ++i) {
        ctx.pump();
        if (ctx.stop_flag()) return;
        if (i >= entries.size()) {
          if (entries.size() >= kStockListCapacity) break;
          entries.push_back(entry_of(table[k]));
          list.renewed_on = latest;
          start = entries.size() - 1;
          break;
        }
        const int order = compare_codes(entries[i].code, code);
        if (order == 0) {
          start = i;
          break;
        }
        if (order > 0) {
          if (entries.size() >= kStockListCapacity) break;
          entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(i), entry_of(table[k]));
          list.renewed_on = latest;
          start = i;
          break;
        }
      }
    }
  }
  if (ctx.stop_flag()) return;

  std::vector<stock_entry> kept;
  kept.reserve(entries.size());
  for (stock_entry& e : entries) {
    ctx.pump();
    if (ctx.stop_flag()) return;
    if (!e.market_name.empty()) kept.push_back(std::move(e));
  }
  entries = std::move(kept);
  write_stock_list(ctx, layout, list);
}

}  // namespace karigane
