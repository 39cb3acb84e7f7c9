// Financial statements from J-Quants' statement summaries (fins/summary), one query per company:
//   - an annual consolidated row (DocType "FY..._Consolidated_...") is a "連結決算" period, and
//     its non-consolidated twins (NCSales ... NCBPS) a "単独決算" period;
//   - an annual non-consolidated row ("FY..._NonConsolidated_...") is a "単独決算" period;
//   - an interim row ("2Q...") is a "中間決算" period; other rows (quarters, revisions) are none.
// Amounts in yen become millions, shares thousands, ratios (fractions) percent; per-share
// figures stay as written; "---" where J-Quants has no figure (capital, interest-bearing debt,
// retained earnings, unrealized gains, ROA, ROE, ordinary profit on assets, and the diluted
// EPS and dividend of a non-consolidated twin). A later disclosure of a period replaces an
// earlier one. The fields each kind leaves empty stay empty.
#pragma once

#include "financial/statement_source.h"
#include "sources/jquants/jquants_run.h"

namespace karigane {

class jquants_statements : public statement_source {
 public:
  explicit jquants_statements(jquants_run& run) : run_(run) {}
  status collect_statements(run_context& ctx, const std::vector<std::string>& companies,
                            statement_sink& sink) override;
  // J-Quants' company names carry no "(株)": every target is asked for.
  bool companies_by_name() const override { return false; }

 private:
  jquants_run& run_;
};

}  // namespace karigane
