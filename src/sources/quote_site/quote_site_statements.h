// Financial statements from the quote site's company-profile pages: for every company the
// "単独決算", "連結決算" and "中間決算" pages, "財務情報処理中 CODE" on the status line and each
// failed page in the run's tally.
#pragma once

#include "financial/statement_source.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

class quote_site_statements : public statement_source {
 public:
  explicit quote_site_statements(const quote_site_settings& site) : site_(site) {}
  status collect_statements(run_context& ctx, const std::vector<std::string>& companies,
                            statement_sink& sink) override;

 private:
  quote_site_settings site_;
};

}  // namespace karigane
