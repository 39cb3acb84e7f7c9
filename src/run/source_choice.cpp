// The run's source: see source_choice.h.
#include "run/source_choice.h"

#include "sources/jquants/jquants_source.h"
#include "sources/quote_site/quote_site_source.h"

namespace karigane {

std::unique_ptr<kind_sources> make_sources(const program_settings& settings,
                                           std::optional<source_id> chosen) {
  switch (chosen.value_or(settings.source)) {
    case source_id::jquants:
      return make_jquants_sources(settings.jquants, settings.layout);
    case source_id::quote_site:
      break;
  }
  return make_quote_site_sources(settings.quote_site);
}

}  // namespace karigane
