// The financial step of a collection, whatever the source: the targets that are companies
// (stock-list name holding "(株)", where the source asks so), each company's statements of
// every kind from the source merged into its file of that kind, then the dated summary of every
// kind.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "financial/statement_source.h"
#include "kinds/program_layout.h"

namespace karigane {

// The company filter: each target is looked up in the stock list from just after the previous
// target's entry; it is kept when the entry's name holds "(株)". A target the look-up does not
// find is dropped and the next one is looked for from where this one was.
std::vector<std::string> company_codes(run_context& ctx, const program_layout& layout,
                                       const std::vector<std::string>& codes);

// stopped when a stop or a run-ending fault ended the step (a stopped run writes no summary);
// otherwise the outcome of the last statement the step fetched and stored: anything but ok ends
// the collection with its message.
status collect_statements(run_context& ctx, const program_layout& layout, statement_source& source,
                          const std::vector<std::string>& codes);

}  // namespace karigane
