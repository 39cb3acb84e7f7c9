// The rows of the equities endpoints (master, daily bars): see jquants_rows.h.
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "deterministic_random.h"
#include "jquants_issues.h"
#include "jquants_rows.h"
#include "json_text.h"
#include "price_limits.h"

namespace karigane::quote_site {
namespace {

struct sector {
  std::string_view s33;
  std::string_view s33_name;
  std::string_view s17;
};

// The TSE's 33 sectors and the 17-sector group of each.
constexpr std::array<sector, 33> kSectors{{
    {"0050", "水産・農林業", "1"},
    {"1050", "鉱業", "2"},
    {"2050", "建設業", "3"},
    {"3050", "食料品", "1"},
    {"3100", "繊維製品", "4"},
    {"3150", "パルプ・紙", "4"},
    {"3200", "化学", "4"},
    {"3250", "医薬品", "5"},
    {"3300", "石油･石炭製品", "2"},
    {"3350", "ゴム製品", "6"},
    {"3400", "ガラス･土石製品", "3"},
    {"3450", "鉄鋼", "7"},
    {"3500", "非鉄金属", "7"},
    {"3550", "金属製品", "3"},
    {"3600", "機械", "8"},
    {"3650", "電気機器", "9"},
    {"3700", "輸送用機器", "6"},
    {"3750", "精密機器", "9"},
    {"3800", "その他製品", "10"},
    {"4050", "電気･ガス業", "11"},
    {"5050", "陸運業", "12"},
    {"5100", "海運業", "12"},
    {"5150", "空運業", "12"},
    {"5200", "倉庫･運輸関連業", "12"},
    {"5250", "情報･通信業", "10"},
    {"6050", "卸売業", "13"},
    {"6100", "小売業", "14"},
    {"7050", "銀行業", "15"},
    {"7100", "証券､商品先物取引業", "16"},
    {"7150", "保険業", "16"},
    {"7200", "その他金融業", "16"},
    {"8050", "不動産業", "17"},
    {"9050", "サービス業", "10"},
}};

constexpr std::array<std::string_view, 17> kSector17Names{"食品",       "エネルギー資源",
                                                          "建設・資材", "素材・化学",
                                                          "医薬品",     "自動車・輸送機",
                                                          "鉄鋼・非鉄", "機械",
                                                          "電機・精密", "情報通信・サービスその他",
                                                          "電気・ガス", "運輸・物流",
                                                          "商社・卸売", "小売",
                                                          "銀行",       "金融（除く銀行）",
                                                          "不動産"};

double draw(const stock_info& stock, std::string_view what) {
  return unit_value(hash_of({text_key(stock.code), text_key(what)}));
}

// Generated: the data set has no sectors nor index membership.
const sector& sector_of(const stock_info& stock) {
  const auto i = static_cast<std::size_t>(draw(stock, "sector") * kSectors.size());
  return kSectors[std::min(i, kSectors.size() - 1)];
}

std::string_view scale_category(const stock_info& stock, const market_segment& segment) {
  if (segment.code != "0101" && segment.code != "0111") return "-";
  const double u = draw(stock, "scale");
  if (u < 0.02) return "TOPIX Core30";
  if (u < 0.07) return "TOPIX Large70";
  if (u < 0.25) return "TOPIX Mid400";
  return u < 0.65 ? "TOPIX Small 1" : "TOPIX Small 2";
}

std::string master_row(const stock_info& stock, const date& day) {
  const market_segment segment = *segment_of(stock, day);
  const sector& s = sector_of(stock);
  const auto s17 = static_cast<std::size_t>(std::stoi(std::string(s.s17)));
  return json_object()
      .text("Date", dashed_date(day))
      .text("Code", api_code(stock))
      .text("CoName", stock.name)
      .text("CoNameEn", "Company " + stock.code)
      .text("S17", s.s17)
      .text("S17Nm", kSector17Names[s17 - 1])
      .text("S33", s.s33)
      .text("S33Nm", s.s33_name)
      .text("ScaleCat", scale_category(stock, segment))
      .text("Mkt", segment.code)
      .text("MktNm", segment.name)
      .text("Mrgn", "2")
      .text("MrgnNm", "貸借")
      .str();
}

// The keys of the morning and afternoon sessions, Premium only; the data set has no sessions.
constexpr std::array<std::string_view, 26> kSessionKeys{
    "MO",    "MH",    "ML",    "MC",     "MUL",   "MLL",   "MVo",   "MVa",   "MAdjO",
    "MAdjH", "MAdjL", "MAdjC", "MAdjVo", "AO",    "AH",    "AL",    "AC",    "AUL",
    "ALL",   "AVo",   "AVa",   "AAdjO",  "AAdjH", "AAdjL", "AAdjC", "AAdjVo"};

// The factor of a split's day as the service shows it: before / after, six decimals.
double split_factor(const split_event& e) { return std::round(1e6 / e.ratio) / 1e6; }

// The daily bars of one stock over a period, with what the adjustment and the limits need.
class bar_maker {
 public:
  bar_maker(const market_data& data, const stock_info& stock, bool sessions)
      : data_(data),
        stock_(stock),
        sessions_(sessions),
        splits_(data.splits(stock, market_data::first_day(), data.today())) {}

  void add_rows(const date& from, const date& to, std::vector<std::string>& out) const {
    const std::vector<date> days = data_.listed_days(stock_, from, to);
    if (days.empty()) return;
    const std::vector<price_row> rows = data_.daily_rows(stock_, days);
    std::optional<std::int64_t> base = close_before(days.front());
    for (std::size_t i = 0; i < days.size(); ++i) {
      const bool traded = data_.traded_on(stock_, days[i]);
      out.push_back(row(rows[i], traded, base));
      if (traded) base = rows[i].close;
    }
  }

 private:
  double factor_on(const date& d) const {
    for (const auto& e : splits_) {
      if (e.day == d) return split_factor(e);
    }
    return 1.0;
  }

  double later_product(const date& d) const {
    double product = 1.0;
    for (const auto& e : splits_) {
      if (d < e.day) product *= split_factor(e);
    }
    return product;
  }

  // The last close before `d`, for the price limits of `d`.
  std::optional<std::int64_t> close_before(const date& d) const {
    std::vector<date> days = data_.trading_days(stock_, add_days(d, -30), add_days(d, -1));
    if (days.empty()) return std::nullopt;
    const date last[] = {days.back()};
    return data_.daily_rows(stock_, last).front().close;
  }

  std::string row(const price_row& r, bool traded,
                  std::optional<std::int64_t> previous_close) const {
    const double factor = factor_on(r.day);
    const double product = later_product(r.day);
    json_object o;
    o.text("Date", dashed_date(r.day)).text("Code", api_code(stock_));
    auto price = [&](std::int64_t v) {
      return traded ? json_hundredths(v) : std::string(kJsonNull);
    };
    auto adjusted = [&](std::int64_t v) {
      return traded ? json_tenths(std::llround(static_cast<double>(v) * product / 10.0))
                    : std::string(kJsonNull);
    };
    bool upper = false;
    bool lower = false;
    if (traded && previous_close) {
      // The base of a split's day is the previous close on the new share basis.
      const auto base = std::llround(static_cast<double>(*previous_close) * factor);
      const std::int64_t width = daily_limit_width(base / 100) * 100;
      upper = r.high >= base + width;
      lower = r.low <= base - width;
    }
    o.raw("O", price(r.open))
        .raw("H", price(r.high))
        .raw("L", price(r.low))
        .raw("C", price(r.close));
    o.text("UL", upper ? "1" : "0").text("LL", lower ? "1" : "0");
    o.raw("Vo", traded ? json_whole(r.volume) : std::string(kJsonNull));
    o.raw("Va", traded ? json_whole(std::llround(static_cast<double>(r.close) *
                                                 static_cast<double>(r.volume) / 100.0))
                       : std::string(kJsonNull));
    o.raw("AdjFactor", json_factor(factor));
    o.raw("AdjO", adjusted(r.open)).raw("AdjH", adjusted(r.high)).raw("AdjL", adjusted(r.low));
    o.raw("AdjC", adjusted(r.close));
    o.raw("AdjVo", traded ? json_whole(std::llround(static_cast<double>(r.volume) / product))
                          : std::string(kJsonNull));
    if (sessions_) {
      for (const auto key : kSessionKeys) o.raw(key, kJsonNull);
    }
    return o.str();
  }

  const market_data& data_;
  const stock_info& stock_;
  bool sessions_;
  std::vector<split_event> splits_;
};

}  // namespace

api_rows master_rows(const api_query& q) {
  api_rows out;
  const date today = q.data.today();
  date day = std::min(today, q.window.last);
  if (q.has("date")) {
    const auto d = parse_api_date(q.get("date"));
    if (!d) {
      out.error = "Invalid date: date=" + q.get("date") + ". Use YYYYMMDD or YYYY-MM-DD.";
      return out;
    }
    if (!q.window.covers(*d)) {
      out.error = outside_window_message(q.plan, q.window);
      return out;
    }
    day = today < *d ? add_days(today, 1) : *d;
  }
  while (!is_business_day(q.data, day)) day = add_days(day, 1);
  for (const stock_info* stock : requested_issues(q.data, q.params)) {
    if (stock->listed_on(day)) out.rows.push_back(master_row(*stock, day));
  }
  return out;
}

api_rows daily_bar_rows(const api_query& q) {
  api_rows out;
  date from;
  date to;
  if (!code_or_date_period(q, from, to, out.error)) return out;
  const bool sessions = q.plan == jquants_plan::premium;
  for (const stock_info* stock : requested_issues(q.data, q.params)) {
    bar_maker(q.data, *stock, sessions).add_rows(from, to, out.rows);
  }
  return out;
}

}  // namespace karigane::quote_site
