// J-Quants' sources of every kind: see jquants_source.h.
#include "sources/jquants/jquants_source.h"

#include "sources/jquants/jquants_latest.h"
#include "sources/jquants/jquants_margin.h"
#include "sources/jquants/jquants_prices.h"
#include "sources/jquants/jquants_statements.h"

namespace karigane {
namespace {

class jquants_sources : public kind_sources {
 public:
  jquants_sources(const jquants_settings& settings, const program_layout& layout)
      : run_(settings, layout), prices_(run_), margin_(run_), statements_(run_), latest_(run_) {}
  status check(const kind_set&) const override {
    const jquants_settings& s = run_.client.settings();
    if (s.api_key.empty()) return status::failure(missing_api_key_message());
    if (s.url.rfind("http://", 0) != 0 && s.url.rfind("https://", 0) != 0) {
      return status::failure("settei.txt の「" + std::string(kJquantsUrlKey) + "」（" + s.url +
                             "）は http:// か https:// で始まるアドレスにしてください。");
    }
    return status::ok;
  }
  price_source& prices() override { return prices_; }
  margin_source& margin() override { return margin_; }
  statement_source& statements() override { return statements_; }
  latest_source& latest() override { return latest_; }

 private:
  jquants_run run_;
  jquants_prices prices_;
  jquants_margin margin_;
  jquants_statements statements_;
  jquants_latest latest_;
};

}  // namespace

std::string missing_api_key_message() {
  return "J-Quants の API キーがありません。settei.txt の「" + std::string(kJquantsApiKeyKey) +
         "」に書くか、環境変数 " + kJquantsApiKeyVariable +
         " に入れてください（karigane init --jquants が書きます）。";
}

std::unique_ptr<kind_sources> make_jquants_sources(const jquants_settings& settings,
                                                   const program_layout& layout) {
  return std::make_unique<jquants_sources>(settings, layout);
}

}  // namespace karigane
