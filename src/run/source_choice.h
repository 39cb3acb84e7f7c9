// The source a run reads from, as the settings ("データ取得元") or the request choose it.
#pragma once

#include <memory>
#include <optional>

#include "kinds/kind_sources.h"
#include "run/settings.h"

namespace karigane {

std::unique_ptr<kind_sources> make_sources(const program_settings& settings,
                                           std::optional<source_id> chosen = std::nullopt);

}  // namespace karigane
