// Opening the window from the command line when there is no display to open it on.
#include <gtest/gtest.h>
#include <stdlib.h>

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

TEST(WindowCommand, WithoutADisplayItExplainsAndExitsWithStatus2) {
  temp_folder dir;
  no_display unset;
  for (const auto& args : {std::vector<std::string>{"--dir", dir.path()},
                           std::vector<std::string>{"--dir", dir.path(), "gui"}}) {
    const process_result r = run_karigane(args);
    EXPECT_EQ(r.exit_status, 2) << args.size();
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace karigane::testing
