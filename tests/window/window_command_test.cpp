// Opening the window from the command line when there is no display to open it on, or one
// that cannot be reached: one line on standard error and exit status 2, not Qt's abort.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

#include "support/process.h"
#include "support/temp_folder.h"

namespace karigane::testing {
namespace {

// Removes the display variables for the life of the object (the child inherits the rest).
class no_display {
 public:
  no_display() {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (const char* v = ::getenv(kNames[i])) saved_[i] = v;
      ::unsetenv(kNames[i]);
    }
  }
  ~no_display() {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
    }
  }

 private:
  static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  std::optional<std::string> saved_[std::size(kNames)];
};

TEST(WindowCommand, WithoutAUsableDisplayItSaysSoInOneLineAndExitsWithStatus2) {
  temp_folder dir;
  no_display unset;
  struct display_case {
    std::vector<std::string> args;
    std::vector<std::string> env;
    const char* says;
  };
  for (const display_case& c : std::vector<display_case>{
           {{"--dir", dir.path()}, {}, "ディスプレイがありません"},
           {{"--dir", dir.path(), "gui"}, {}, "ディスプレイがありません"},
           // A display that no server answers on.
           {{"--dir", dir.path(), "gui"}, {"DISPLAY=:93", "QT_QPA_PLATFORM=xcb"}, "開けません"},
       }) {
    const process_result r = run_karigane(c.args, c.env);
    EXPECT_EQ(r.exit_status, 2) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace karigane::testing
