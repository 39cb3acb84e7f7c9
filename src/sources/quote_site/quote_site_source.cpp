// The quote site's sources of every kind: see quote_site_source.h.
#include "sources/quote_site/quote_site_source.h"

#include "sources/quote_site/history_fetch.h"
#include "sources/quote_site/quote_site_latest.h"
#include "sources/quote_site/quote_site_margin.h"
#include "sources/quote_site/quote_site_prices.h"
#include "sources/quote_site/quote_site_statements.h"

namespace karigane {
namespace {

class quote_site_sources : public kind_sources {
 public:
  explicit quote_site_sources(const quote_site_settings& site)
      : site_(site), prices_(site), margin_(site), statements_(site), latest_(site) {}
  status check(const kind_set& kinds) const override {
    // A page form without pages would make every fetch fail; say so before anything runs.
    if (kinds.has(kind_id::prices) && !known_history_page_form(site_.history_form)) {
      return status::failure("設定ファイルの時系列株価取得サイト「" + site_.history_form +
                             "」は使えません。「新」か「Ｍ」を指定してください。");
    }
    return status::ok;
  }
  price_source& prices() override { return prices_; }
  margin_source& margin() override { return margin_; }
  statement_source& statements() override { return statements_; }
  latest_source& latest() override { return latest_; }

 private:
  quote_site_settings site_;
  quote_site_prices prices_;
  quote_site_margin margin_;
  quote_site_statements statements_;
  quote_site_latest latest_;
};

}  // namespace

std::unique_ptr<kind_sources> make_quote_site_sources(const quote_site_settings& settings) {
  return std::make_unique<quote_site_sources>(settings);
}

}  // namespace karigane
