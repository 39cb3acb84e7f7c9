// Stock list renewal: see stock_list_renewal.h.
#include "latest/stock_list_renewal.h"

#include <map>

#include "codes/stock_list.h"

namespace karigane {

std::string market_letter(const std::string& market_name) {
  static const std::map<std::string, std::string> letters = {
      {"マザーズ", "t"}, {"東証", "t"}, {"東証1部", "t"}, {"東証1部外国", "t"},
      {"東証2部", "t"}, {"東証ETF", "t"}, {"東証指数", "t"},
      {"札証", "s"}, {"札幌ア", "s"},
      {"JQS", "q"}, {"JQG", "q"}, {"JASDAQ外国部", "q"}, {"JASDAQ", "q"},
      {"大証", "o"}, {"大証1部", "o"}, {"大証2部", "o"}, {"大証ETF", "o"}, {"大証外国部", "o"},
      {"大証指数", "o"},
      {"名古屋セ", "n"}, {"名証1部", "n"}, {"名証2部", "n"}, {"名証ETF", "n"},
      {"福岡Q", "f"}, {"福証", "f"}};
  const auto it = letters.find(market_name);
  return it == letters.end() ? std::string() : it->second;
}

namespace {

meigara_entry entry_of(const data_d_record& row) {
  return {row[kDCode], market_letter(row[kDMarket]), row[kDMarket], row[kDName]};
}

}  // namespace

void renew_meigara_list_sub(run_context& ctx, const data_d_table_t& table) {
  if (ctx.stop_flag()) return;
  meigara_list_t list;
  std::int16_t flag = kFalse;
  std::string message;
  read_result read;
  read_meigara_list_sub(ctx, list, flag, message, &read);
  // A list that is there but cannot be read is left as it is (the reader reported it);
  // building it afresh from one run's search pages would lose every other stock.
  if (ctx.run_interrupted() || read.unusable()) return;
  const std::size_t n = data_d_count(table);
  const std::string latest = table.empty() ? std::string() : table[0][kDCode];

  if (flag != 0 || list.empty() || list[0].d1_meigarasuu_meigaracode.empty()) {
    // No usable list: it is built afresh from what the search pages listed.
    list.assign(1, meigara_entry{num_text(static_cast<std::int64_t>(n)), latest, "", ""});
    for (std::size_t k = 1; k <= n && !ctx.stop_flag(); ++k) list.push_back(entry_of(table[k]));
  } else {
    list.resize(meigara_count(list) + 1);
    std::size_t start = 1;
    double previous = -1;
    for (std::size_t k = 1; k <= n; ++k) {
      const double code = val(table[k][kDCode]);
      // A code below the previous one is searched from the top again, so that a code that
      // stands earlier in the list is found instead of being inserted a second time.
      if (code < previous) start = 1;
      previous = code;
      std::size_t i = start;
      for (;; ++i) {
        ctx.pump();
        if (ctx.stop_flag()) return;
        if (i >= list.size()) {
          if (list.size() > static_cast<std::size_t>(kMeigaraListCapacity)) break;
          list.push_back(entry_of(table[k]));
          list[0].market_code = latest;
          start = list.size() - 1;
          break;
        }
        const double entry = val(list[i].d1_meigarasuu_meigaracode);
        if (entry == code) {
          start = i;
          break;
        }
        if (entry > code) {
          if (list.size() > static_cast<std::size_t>(kMeigaraListCapacity)) break;
          list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), entry_of(table[k]));
          list[0].market_code = latest;
          start = i;
          break;
        }
      }
    }
  }
  if (ctx.stop_flag()) return;

  meigara_list_t kept;
  kept.reserve(list.size());
  kept.push_back(list[0]);
  for (std::size_t i = 1; i < list.size(); ++i) {
    ctx.pump();
    if (ctx.stop_flag()) return;
    if (!list[i].market_name.empty()) kept.push_back(std::move(list[i]));
  }
  kept[0].d1_meigarasuu_meigaracode = num_text(static_cast<std::int64_t>(kept.size() - 1));
  write_meigara_list_sub(ctx, kept, flag, message);
}

}  // namespace karigane
