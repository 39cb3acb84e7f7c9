// Qt's own texts in Japanese: the window speaks Japanese whatever the locale, and the buttons Qt
// labels itself (OK, キャンセル, the file chooser) should not be the one English on the screen.
#pragma once

namespace karigane {

// Installs Qt's Japanese catalogue (qtbase_ja, from Qt's translations folder) in the running
// application; false, and Qt's English kept, where the catalogue is not installed.
bool use_qt_japanese();

}  // namespace karigane
