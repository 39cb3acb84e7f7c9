// Daily prices and splits from the quote site: for every target stock its history pages window
// by window (50 days, newest first), in the settings' page form, each window's status text
// ("1301 2013/01/01～2013/02/19 時系列株価処理中") on the status line and each failed page in the
// run's tally.
#pragma once

#include "sources/quote_site/quote_site_settings.h"
#include "timeseries/price_source.h"

namespace karigane {

class quote_site_prices : public price_source {
 public:
  explicit quote_site_prices(const quote_site_settings& site) : site_(site) {}
  status collect_prices(run_context& ctx, const std::vector<price_target>& targets,
                        price_sink& sink) override;

 private:
  quote_site_settings site_;
};

}  // namespace karigane
