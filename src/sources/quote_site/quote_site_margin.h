// Weekly margin balances from the quote site: for every target stock its margin pages window
// by window (250 days, newest first) in the settings' page form, each window's status text
// ("1301 2013/01/01～2013/09/07 信用売買残処理中") on the status line and each failed page in
// the run's tally.
#pragma once

#include "margin/margin_source.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

class quote_site_margin : public margin_source {
 public:
  explicit quote_site_margin(const quote_site_settings& site) : site_(site) {}
  status collect_margin(run_context& ctx, const std::vector<std::string>& codes,
                        margin_sink& sink) override;

 private:
  quote_site_settings site_;
};

}  // namespace karigane
