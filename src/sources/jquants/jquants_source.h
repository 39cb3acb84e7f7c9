// JPX's J-Quants API V2 as a source of every data kind, filling the same files as the quote
// site: the kinds' storing halves get the rows. One client a run (jquants_client.h) paces the
// requests for the plan and keeps the calendar and the latest day for every kind.
#pragma once

#include <memory>

#include "kinds/kind_sources.h"
#include "kinds/program_layout.h"
#include "sources/jquants/jquants_settings.h"

namespace karigane {

// `layout`: the program folder whose stock list names the stocks.
std::unique_ptr<kind_sources> make_jquants_sources(const jquants_settings& settings,
                                                   const program_layout& layout);

// The message of settings without a key: it names "J-QuantsAPIキー" and JQUANTS_API_KEY.
std::string missing_api_key_message();

}  // namespace karigane
