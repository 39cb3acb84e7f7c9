// The window tests' main: a QApplication on the offscreen platform, the window's saved state in
// a temporary configuration folder, then every test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "support/temp_folder.h"

int main(int argc, char** argv) {
  // The tests never show a window on the developer's display, nor touch their saved state.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  karigane::testing::temp_folder config;
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
