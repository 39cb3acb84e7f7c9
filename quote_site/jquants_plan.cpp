// The API's plans: see jquants_plan.h.
#include "jquants_plan.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace karigane::quote_site {
namespace {

struct plan_facts {
  jquants_plan plan;
  std::string_view name;
  int per_minute;
  int years;  // paid plans: how far back
};

constexpr std::array<plan_facts, 4> kPlans{{
    {jquants_plan::free, "Free", 5, 2},
    {jquants_plan::light, "Light", 60, 5},
    {jquants_plan::standard, "Standard", 120, 10},
    {jquants_plan::premium, "Premium", 500, 20},
}};

const plan_facts& facts(jquants_plan plan) {
  return *std::find_if(kPlans.begin(), kPlans.end(),
                       [&](const plan_facts& f) { return f.plan == plan; });
}

// The same day `years` earlier (29 February becomes 28 February).
date years_before(const date& d, int years) {
  const int y = d.y - years;
  return {y, d.m, std::min(d.d, days_in_month(y, d.m))};
}

std::string dashed(const date& d) {
  const std::string t = yyyymmdd(d);
  return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2);
}

}  // namespace

bool parse_jquants_plan(std::string_view text, jquants_plan& plan) {
  for (const auto& f : kPlans) {
    const bool same = text.size() == f.name.size() &&
                      std::equal(text.begin(), text.end(), f.name.begin(), [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) ==
                               std::tolower(static_cast<unsigned char>(b));
                      });
    if (same) {
      plan = f.plan;
      return true;
    }
  }
  return false;
}

std::string_view plan_name(jquants_plan plan) { return facts(plan).name; }

int requests_per_minute(jquants_plan plan) { return facts(plan).per_minute; }

date_window data_window(jquants_plan plan, const date& today) {
  if (plan == jquants_plan::free) {
    const date last = add_days(today, -12 * 7);
    return {years_before(last, 2), last, false};
  }
  return {years_before(today, facts(plan).years), today, true};
}

date_window calendar_window(jquants_plan plan, const date& today) {
  date_window w = data_window(plan, today);
  if (plan != jquants_plan::free) w.last = {today.y + 1, 12, 31};
  return w;
}

std::string outside_window_message(jquants_plan plan, const date_window& window) {
  if (plan == jquants_plan::free) {
    return "Your subscription covers the following dates: " + dashed(window.first) + " ~ " +
           dashed(window.last) + ".";
  }
  return "Your subscription covers the following dates: " + dashed(window.first) +
         " ~ . If you want more data, please check other plans:https://jpx-jquants.com/#dataset";
}

}  // namespace karigane::quote_site
