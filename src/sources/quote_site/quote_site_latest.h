// The latest day from the quote site: its search pages in groups of 25 codes (the two list
// views), the index volume from the index chart page, and the market's days from the same page,
// which a run loads once (a source serves one run).
#pragma once

#include "latest/latest_source.h"
#include "sources/quote_site/index_data.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

class quote_site_latest : public latest_source {
 public:
  explicit quote_site_latest(const quote_site_settings& site) : site_(site) {}
  status fetch_latest_day(run_context& ctx, const std::vector<std::string>& codes,
                          data_d_table_t& table) override;
  std::vector<date> market_days(run_context& ctx) override;

 private:
  quote_site_settings site_;
  index_chart_of_run index_chart_;
};

}  // namespace karigane
