// What the kinds of one run share when they read from J-Quants: the client (its pace, the plan's
// dates, the calendar), the names the stock list holds, and the whole market's latest day once
// the latest-day step has it.
#pragma once

#include <optional>

#include "kinds/program_layout.h"
#include "sources/jquants/jquants_bars.h"
#include "sources/jquants/jquants_client.h"
#include "sources/jquants/jquants_issues.h"

namespace karigane {

struct jquants_run {
  jquants_run(const jquants_settings& settings, const program_layout& layout)
      : client(settings), issues(layout) {}

  jquants_client client;
  issue_register issues;
  std::optional<market_day> latest_day;

  // The stock list's name of a code ("" when it has none).
  std::string name_of(run_context& ctx, const std::string& code) {
    const stock_entry* e = issues.find(ctx, code);
    return e == nullptr ? std::string() : e->name;
  }
};

}  // namespace karigane
