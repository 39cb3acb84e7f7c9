// The rows of /v2/fins/summary from the data set's statements: see jquants_rows.h.
//
// The mapping, which a client inverts:
//   - a company publishing consolidated statements: per fiscal year one row, DocType
//     "FYFinancialStatements_Consolidated_JP", CurPerType "FY", Sales ... ShOutFY from the
//     consolidated figures and NCSales ... NCBPS from the non-consolidated ones of the year;
//   - any other company: "FYFinancialStatements_NonConsolidated_JP" with the non-consolidated
//     figures in Sales ... ShOutFY and no NC* values;
//   - interim figures: "2QFinancialStatements_Consolidated_JP" (_NonConsolidated_JP likewise),
//     CurPerType "2Q", the figures the interim statement has (no dividend, no payout ratio).
// Amounts in yen (the data set's millions x 1,000,000), per-share figures in yen with two
// decimals, shares (thousands x 1,000), ratios as fractions with three decimals (45.2% ->
// "0.452"); "" where a figure is missing. Capital, interest-bearing debt, retained earnings,
// unrealized gains and the returns on assets and equity have no field and are not served.
#include <algorithm>
#include <array>
#include <map>

#include "financial_statements.h"
#include "jquants_issues.h"
#include "jquants_rows.h"
#include "json_text.h"

namespace karigane::quote_site {
namespace {

constexpr auto kFinsKeys = std::to_array<std::string_view>({
    "DiscDate",
    "DiscTime",
    "Code",
    "DiscNo",
    "DocType",
    "CurPerType",
    "CurPerSt",
    "CurPerEn",
    "CurFYSt",
    "CurFYEn",
    "NxtFYSt",
    "NxtFYEn",
    "Sales",
    "OP",
    "OdP",
    "NP",
    "EPS",
    "DEPS",
    "TA",
    "Eq",
    "EqAR",
    "BPS",
    "CFO",
    "CFI",
    "CFF",
    "CashEq",
    "Div1Q",
    "Div2Q",
    "Div3Q",
    "DivFY",
    "DivAnn",
    "DivUnit",
    "DivTotalAnn",
    "PayoutRatioAnn",
    "FDiv1Q",
    "FDiv2Q",
    "FDiv3Q",
    "FDivFY",
    "FDivAnn",
    "FDivUnit",
    "FDivTotalAnn",
    "FPayoutRatioAnn",
    "NxFDiv1Q",
    "NxFDiv2Q",
    "NxFDiv3Q",
    "NxFDivFY",
    "NxFDivAnn",
    "NxFDivUnit",
    "NxFPayoutRatioAnn",
    "FSales2Q",
    "FOP2Q",
    "FOdP2Q",
    "FNP2Q",
    "FEPS2Q",
    "NxFSales2Q",
    "NxFOP2Q",
    "NxFOdP2Q",
    "NxFNp2Q",
    "NxFEPS2Q",
    "FSales",
    "FOP",
    "FOdP",
    "FNP",
    "FEPS",
    "NxFSales",
    "NxFOP",
    "NxFOdP",
    "NxFNp",
    "NxFEPS",
    "MatChgSub",
    "SigChgInC",
    "ChgByASRev",
    "ChgNoASRev",
    "ChgAcEst",
    "RetroRst",
    "ShOutFY",
    "TrShFY",
    "AvgSh",
    "NCSales",
    "NCOP",
    "NCOdP",
    "NCNP",
    "NCEPS",
    "NCTA",
    "NCEq",
    "NCEqAR",
    "NCBPS",
    "FNCSales2Q",
    "FNCOP2Q",
    "FNCOdP2Q",
    "FNCNP2Q",
    "FNCEPS2Q",
    "NxFNCSales2Q",
    "NxFNCOP2Q",
    "NxFNCOdP2Q",
    "NxFNCNP2Q",
    "NxFNCEPS2Q",
    "FNCSales",
    "FNCOP",
    "FNCOdP",
    "FNCNP",
    "FNCEPS",
    "NxFNCSales",
    "NxFNCOP",
    "NxFNCOdP",
    "NxFNCNP",
    "NxFNCEPS",
});

std::string yen_of_millions(std::int64_t millions) { return std::to_string(millions * 1'000'000); }

std::string yen_per_share(std::int64_t hundredths) {
  const bool negative = hundredths < 0;
  const std::int64_t v = negative ? -hundredths : hundredths;
  const std::string cents = std::to_string(v % 100);
  return (negative ? "-" : "") + std::to_string(v / 100) + "." + (v % 100 < 10 ? "0" : "") + cents;
}

std::string fraction_of_tenths(std::int64_t tenths_of_percent) {
  const bool negative = tenths_of_percent < 0;
  const std::int64_t v = negative ? -tenths_of_percent : tenths_of_percent;
  std::string digits = std::to_string(v % 1000);
  digits.insert(digits.begin(), 3 - digits.size(), '0');
  return (negative ? "-" : "") + std::to_string(v / 1000) + "." + digits;
}

// The first day of the `months`-month period that ends with the month of `end`.
date period_start(const date& end, int months) {
  const int index = end.y * 12 + (end.m - 1) - (months - 1);
  return {index / 12, index % 12 + 1, 1};
}

// The last day of the month `months` after the month of `d`.
date month_end_after(const date& d, int months) {
  const int index = d.y * 12 + (d.m - 1) + months;
  const int y = index / 12;
  const int m = index % 12 + 1;
  return {y, m, days_in_month(y, m)};
}

using fins_fields = std::map<std::string_view, std::string>;

// The figures every row of a kind carries, into the main fields or (prefix "NC") their twins.
void put_figures(const statement_figures& f, bool annual, std::string_view prefix,
                 fins_fields& out) {
  auto put = [&](std::string_view key, std::string value) { out[key] = std::move(value); };
  const bool main = prefix.empty();
  put(main ? "Sales" : "NCSales", yen_of_millions(f.sales));
  put(main ? "OP" : "NCOP", yen_of_millions(f.operating_profit));
  put(main ? "OdP" : "NCOdP", yen_of_millions(f.ordinary_profit));
  put(main ? "NP" : "NCNP", yen_of_millions(f.net_profit));
  put(main ? "EPS" : "NCEPS", yen_per_share(f.eps));
  put(main ? "TA" : "NCTA", yen_of_millions(f.total_assets));
  put(main ? "Eq" : "NCEq", yen_of_millions(f.equity));
  put(main ? "EqAR" : "NCEqAR", fraction_of_tenths(f.equity_ratio));
  put(main ? "BPS" : "NCBPS", yen_per_share(f.bps));
  if (!main) return;
  if (f.has_diluted_eps) put("DEPS", yen_per_share(f.diluted_eps));
  put("ShOutFY", std::to_string(f.shares * 1000));
  if (annual) {
    put("DivAnn", yen_per_share(f.dividend));
    if (f.has_payout_ratio) put("PayoutRatioAnn", fraction_of_tenths(f.payout_ratio));
  }
}

struct disclosure {
  std::string number;  // DiscNo
  std::string row;
};

disclosure disclosure_of(const market_data& data, const stock_info& stock,
                         const statement_figures& f, bool consolidated, bool interim,
                         const statement_figures* non_consolidated) {
  // Disclosure numbers: the day, then the stock's place in the code order.
  const auto place = static_cast<std::size_t>(&stock - data.stocks().all().data());
  std::string place_text = std::to_string(place);
  place_text.insert(place_text.begin(), place_text.size() < 6 ? 6 - place_text.size() : 0, '0');
  const std::string number = yyyymmdd(f.announced) + place_text;

  const date start = period_start(f.period_end, f.months);
  const date year_end = interim ? month_end_after(f.period_end, 6) : f.period_end;
  fins_fields fields;
  fields["DiscDate"] = dashed_date(f.announced);
  fields["DiscTime"] = "15:00:00";
  fields["Code"] = api_code(stock);
  fields["DiscNo"] = number;
  fields["DocType"] = std::string(interim ? "2Q" : "FY") + "FinancialStatements_" +
                      (consolidated ? "Consolidated_JP" : "NonConsolidated_JP");
  fields["CurPerType"] = interim ? "2Q" : "FY";
  fields["CurPerSt"] = dashed_date(start);
  fields["CurPerEn"] = dashed_date(f.period_end);
  fields["CurFYSt"] = dashed_date(start);
  fields["CurFYEn"] = dashed_date(year_end);
  if (!interim) {
    fields["NxtFYSt"] = dashed_date(add_days(year_end, 1));
    fields["NxtFYEn"] = dashed_date(month_end_after(year_end, 12));
  }
  put_figures(f, !interim, "", fields);
  if (non_consolidated != nullptr) put_figures(*non_consolidated, true, "NC", fields);

  json_object o;
  for (const std::string_view key : kFinsKeys) {
    const auto it = fields.find(key);
    o.text(key, it == fields.end() ? std::string() : it->second);
  }
  return {number, o.str()};
}

// Every statement of the stock announced in [from, to].
void add_disclosures(const market_data& data, const stock_info& stock, const date& from,
                     const date& to, std::vector<disclosure>& out) {
  const bool consolidated = publishes_statements(data, stock, statement_kind::consolidated);
  const auto annual = statements_announced(
      data, stock, consolidated ? statement_kind::consolidated : statement_kind::independent, from,
      to);
  const auto independent =
      consolidated ? statements_announced(data, stock, statement_kind::independent, from, to)
                   : std::vector<statement_figures>{};
  for (const statement_figures& f : annual) {
    const auto twin =
        std::find_if(independent.begin(), independent.end(),
                     [&](const statement_figures& n) { return n.period_end == f.period_end; });
    out.push_back(disclosure_of(data, stock, f, consolidated, false,
                                twin == independent.end() ? nullptr : &*twin));
  }
  for (const statement_figures& f :
       statements_announced(data, stock, statement_kind::interim, from, to)) {
    out.push_back(disclosure_of(data, stock, f, consolidated, true, nullptr));
  }
}

}  // namespace

api_rows fins_summary_rows(const api_query& q) {
  api_rows out;
  date from;
  date to;
  if (!code_or_date_period(q, from, to, out.error)) return out;
  std::vector<disclosure> found;
  for (const stock_info* stock : requested_issues(q.data, q.params)) {
    add_disclosures(q.data, *stock, from, to, found);
  }
  std::sort(found.begin(), found.end(),
            [](const disclosure& a, const disclosure& b) { return a.number < b.number; });
  for (auto& d : found) out.rows.push_back(std::move(d.row));
  return out;
}

}  // namespace karigane::quote_site
