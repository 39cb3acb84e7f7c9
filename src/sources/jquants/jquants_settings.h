// JPX's J-Quants API as the settings describe it: the address the client appends "/v2/..." to,
// the API key, the subscription plan (it sets the pace of the requests and the dates and data
// the plan covers), and the connection.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "http/connection_settings.h"

namespace karigane {

// The settings' keys that messages name (the settings table declares them with these).
inline constexpr const char* kJquantsUrlKey = "J-QuantsURL";
inline constexpr const char* kJquantsApiKeyKey = "J-QuantsAPIキー";
inline constexpr const char* kJquantsPlanKey = "J-Quantsプラン";
// The environment variable that gives the key when settei.txt has none.
inline constexpr const char* kJquantsApiKeyVariable = "JQUANTS_API_KEY";

enum class jquants_plan { free, light, standard, premium };

struct jquants_settings {
  std::string url;      // "J-QuantsURL": scheme://host[:port], no trailing "/"
  std::string api_key;  // "J-QuantsAPIキー", else the environment's JQUANTS_API_KEY
  jquants_plan plan = jquants_plan::free;  // "J-Quantsプラン"
  connection_settings connection;
};

// "Free", "Light", "Standard", "Premium" (any case) and back.
std::optional<jquants_plan> jquants_plan_named(std::string_view name);
const char* jquants_plan_name(jquants_plan plan);

// A key as logs and messages may show it: its last four characters at most ("…WXYZ").
std::string masked_api_key(std::string_view key);

// The environment variable that shortens the minute of the plan's limits (tests, demos).
inline constexpr const char* kJquantsMinuteVariable = "KARIGANE_JQUANTS_MINUTE";

// The minute J-Quants' request limits count in, and that a 429 waits: 60 seconds, or the whole
// seconds of KARIGANE_JQUANTS_MINUTE (0: no pacing and no wait).
std::chrono::milliseconds jquants_minute();

}  // namespace karigane
