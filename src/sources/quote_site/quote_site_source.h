// The quote site as a source of every data kind: its history, margin, profile and search pages
// and the index chart page, read through page retrieval. The kinds' storing halves get the
// rows; the pages' own status texts, retries and failures are the quote site's.
#pragma once

#include <memory>

#include "kinds/kind_sources.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

std::unique_ptr<kind_sources> make_quote_site_sources(const quote_site_settings& settings);

}  // namespace karigane
