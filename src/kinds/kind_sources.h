// A source as the runs see it: the fetching half of every data kind it serves. The storing
// halves (the kinds' files, merges and yearly copies) are the same whichever source fills them.
#pragma once

#include "core/status.h"
#include "financial/statement_source.h"
#include "kinds/data_kinds.h"
#include "latest/latest_source.h"
#include "margin/margin_source.h"
#include "timeseries/price_source.h"

namespace karigane {

struct kind_sources {
  virtual ~kind_sources() = default;
  // Whether the source can serve the kinds as its settings stand; failed with a message for the
  // person when it cannot (before anything is asked for).
  virtual status check(const kind_set& kinds) const { return status::ok; }
  virtual price_source& prices() = 0;
  virtual margin_source& margin() = 0;
  virtual statement_source& statements() = 0;
  virtual latest_source& latest() = 0;
};

}  // namespace karigane
