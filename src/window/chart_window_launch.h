// `karigane chart`: the chart window of one stock, or with a picture file its picture,
// rendered without a window (on Qt's offscreen platform when no display is given).
#pragma once

#include <string>

#include "kinds/program_layout.h"
#include "chart/chart_series.h"

namespace karigane {

// Returns the program's exit status: 0; 1 when the stock has no series to draw or the
// picture cannot be written (the reason on standard error); 2 when a window is asked for and
// there is no display. `out_path` has one of the picture extensions (picture_format.h) or is
// empty. A picture run prints nothing but its own errors and Qt's critical ones.
int run_chart_command(int argc, char** argv, const program_layout& layout,
                      const chart_request& request, const std::string& out_path);

}  // namespace karigane
