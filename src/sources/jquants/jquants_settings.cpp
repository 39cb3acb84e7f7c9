// J-Quants' settings: see jquants_settings.h.
#include "sources/jquants/jquants_settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace karigane {
namespace {

constexpr std::array<std::pair<jquants_plan, const char*>, 4> kPlans{{
    {jquants_plan::free, "Free"},
    {jquants_plan::light, "Light"},
    {jquants_plan::standard, "Standard"},
    {jquants_plan::premium, "Premium"},
}};

bool same_letters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<jquants_plan> jquants_plan_named(std::string_view name) {
  for (const auto& [plan, text] : kPlans) {
    if (same_letters(name, text)) return plan;
  }
  return std::nullopt;
}

const char* jquants_plan_name(jquants_plan plan) {
  for (const auto& [p, text] : kPlans) {
    if (p == plan) return text;
  }
  return "Free";
}

std::string masked_api_key(std::string_view key) {
  if (key.empty()) return {};
  return "…" + std::string(key.substr(key.size() > 4 ? key.size() - 4 : 0));
}

std::chrono::milliseconds jquants_minute() {
  constexpr int kMinuteSeconds = 60;
  int seconds = kMinuteSeconds;
  if (const char* text = std::getenv(kJquantsMinuteVariable); text != nullptr && *text != '\0') {
    const std::string_view v(text);
    int parsed = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), parsed);
    if (r.ec == std::errc() && r.ptr == v.data() + v.size() && parsed >= 0 &&
        parsed <= kMinuteSeconds) {
      seconds = parsed;
    }
  }
  return std::chrono::seconds(seconds);
}

}  // namespace karigane
