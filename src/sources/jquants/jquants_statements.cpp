// Statements from J-Quants: see jquants_statements.h.
#include "sources/jquants/jquants_statements.h"

#include <algorithm>
#include <map>

#include "core/text.h"
#include "financial/statement_kinds.h"
#include "kinds/data_kinds.h"
#include "kinds/stock_pass.h"

namespace karigane {
namespace {

constexpr const char* kNone = "---";

const char* label() { return kind_of(kind_id::financial).name; }

// A figure: the field's number with its point moved, or "---".
std::string figure(const api_row& row, const std::string& key, int places, int min_decimals) {
  const std::optional<std::string> n = row.number(key);
  return n ? shift_decimal(*n, places, min_decimals) : std::string(kNone);
}

std::string as_written(const api_row& row, const std::string& key) {
  return row.number(key).value_or(kNone);
}

std::optional<date> date_field(const api_row& row, std::string_view key) {
  const auto text = row.text(key);
  return text ? date_of_api(*text) : std::nullopt;
}

// The period record of a row's figures: the main ones, or with "NC" their non-consolidated
// twins; nothing without a period end.
std::optional<zaimu_record> record_of(const api_row& row, const std::string& prefix,
                                      std::string_view kind) {
  const std::optional<date> end = date_field(row, "CurPerEn");
  if (!end) return std::nullopt;
  const bool twin = !prefix.empty();
  zaimu_record r;
  r.fill(kNone);
  r[0] = yyyymmdd(*end).substr(0, 6) + "00";
  if (const auto announced = date_field(row, "DiscDate")) r[1] = yyyymmdd(*announced);
  if (const auto start = date_field(row, "CurPerSt"); start && !(*end < *start)) {
    r[2] = std::to_string((end->y * 12 + end->m) - (start->y * 12 + start->m) + 1);
  }
  r[3] = figure(row, prefix + "Sales", -6, 0);
  r[4] = figure(row, prefix + "OP", -6, 0);
  r[5] = figure(row, prefix + "OdP", -6, 0);
  r[6] = figure(row, prefix + "NP", -6, 0);
  r[7] = as_written(row, prefix + "EPS");
  if (!twin) {
    r[8] = as_written(row, "DEPS");
    r[9] = as_written(row, "DivAnn");
    const std::optional<std::string> payout = row.number("PayoutRatioAnn");
    r[kZaimuMemoryOnly] = payout ? shift_decimal(*payout, 2, 1) : "";
  }
  r[11] = as_written(row, prefix + "BPS");
  r[12] = figure(row, "ShOutFY", -3, 0);
  r[13] = figure(row, prefix + "TA", -6, 0);
  r[14] = figure(row, prefix + "Eq", -6, 0);
  r[18] = figure(row, prefix + "EqAR", 2, 1);
  if (twin) r[kZaimuMemoryOnly].clear();
  for (const std::size_t f : statement_empty_fields(kind)) r[f - 1].clear();
  return r;
}

struct disclosed {
  std::string number;  // DiscNo
  const char* kind;
  zaimu_record record;
};

// The periods a row holds (none, one, or a consolidated one and its non-consolidated twin).
void periods_of(const api_row& row, std::vector<disclosed>& out) {
  const std::string doc(row.text("DocType").value_or(""));
  const std::string number(row.text("DiscNo").value_or(""));
  if (!contains(doc, "FinancialStatements")) return;
  auto add = [&](const char* kind, const std::string& prefix) {
    if (auto r = record_of(row, prefix, kind)) out.push_back({number, kind, std::move(*r)});
  };
  if (doc.rfind("2Q", 0) == 0) {
    add(kKindInterim, "");
  } else if (doc.rfind("FY", 0) == 0 && contains(doc, "NonConsolidated")) {
    add(kKindIndependent, "");
  } else if (doc.rfind("FY", 0) == 0 && contains(doc, "Consolidated")) {
    add(kKindConsolidated, "");
    if (row.number("NCSales") || row.number("NCNP") || row.number("NCTA")) {
      add(kKindIndependent, "NC");
    }
  }
}

}  // namespace

status jquants_statements::collect_statements(run_context& ctx,
                                              const std::vector<std::string>& companies,
                                              statement_sink& sink) {
  run_.issues.forget();
  status last;
  bool refused = false;
  const status pass = for_each_stock(ctx, label(), companies, [&](std::size_t i) -> status {
    if (refused) return status::ok;
    const std::string& code = companies[i];
    if (is_program_index_code(code)) return status::ok;
    ctx.set_label1("財務情報処理中 " + code, label_colour::blue);
    std::vector<disclosed> found;
    const api_outcome got = run_.client.get(ctx, api_endpoint::fins_summary,
                                            {{"code", api_code_of(code)}}, [&](const api_row& row) {
                                              const auto api_code = row.text("Code");
                                              if (api_code && program_code_of(*api_code) == code)
                                                periods_of(row, found);
                                            });
    if (got.end == api_end::stopped) return interrupted_status(ctx);
    if (got.end == api_end::not_in_plan) {
      // The plan refuses the kind: said once, and the rest is not asked for.
      ctx.failures.add({"", label(), "", got.message});
      refused = true;
      return status::ok;
    }
    if (got.end != api_end::done) {
      ctx.failures.add({code, label(), "", got.message});
      return status::ok;
    }
    // Disclosure order: a later one of the same period replaces the earlier.
    std::stable_sort(found.begin(), found.end(),
                     [](const disclosed& a, const disclosed& b) { return a.number < b.number; });
    const std::string name = run_.name_of(ctx, code);
    for (const char* kind : kStatementKinds) {
      std::map<std::string, zaimu_record, std::greater<>> periods;
      for (disclosed& d : found) {
        if (std::string_view(d.kind) == kind) periods[d.record[kZaimuPeriod]] = d.record;
      }
      if (periods.empty()) continue;
      zaimu_tbl_t table = empty_zaimu_table(code);
      table[0][kZaimuName] = name;
      for (auto& [period, record] : periods) table.push_back(std::move(record));
      table[0][kZaimuCount] = num_text(static_cast<std::int64_t>(periods.size()));
      last = sink.store(ctx, kind, code, table);
      if (ctx.run_interrupted()) return interrupted_status(ctx);
    }
    return status::ok;
  });
  return pass == status::stopped ? pass : last;
}

}  // namespace karigane
