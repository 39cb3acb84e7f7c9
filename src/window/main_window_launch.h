// Opening the main window from the command line: the display check, the Qt application, the
// program folder and the clock, and Qt's event loop until the window closes.
#pragma once

#include <string>

namespace karigane {

// True when Qt has somewhere to show a window: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
// is set. Without one Qt would abort.
bool display_available();

// Opens the window on the program folder `dir` (empty: the working folder) and returns the
// program's exit status once it closes: 0, or 2 when there is no display.
int run_main_window(int argc, char** argv, const std::string& dir);

}  // namespace karigane
