// What the window tests share: a window on a fresh program folder with a fixed clock, and
// lookup of its controls by their object names.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "window/main_window.h"
#include "support/temp_folder.h"

namespace karigane::testing {

// 27 November 2014, 10:00.
inline const local_time kWindowNow{date{2014, 11, 27}, 10, 0, 0};

class window_test : public ::testing::Test {
 protected:
  // Opens the window (after the test has put files into the program folder, if it wants);
  // with `set_up_folder`, as the program opens it (main_window_setup::set_up_folder).
  main_window& open(const local_time& now = kWindowNow, bool set_up_folder = false);

  // The control of that object name; fails the test when there is none.
  template <class W>
  W* control(const char* name) {
    W* w = window_->findChild<W*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  // A left click on a control as the user makes it: on the box of a check box or option button
  // (whose row may be wider than its caption), in the middle of anything else.
  void click(const char* name);

  // The text colour of a label (WindowText) or of a text box (Text).
  QColor label_colour_of(const char* name);
  QColor text_colour_of(const char* name);
  std::string text_of(const char* name);

  temp_folder dir_;
  std::unique_ptr<main_window> window_;
};

// Sets (or with nullopt removes) an environment variable for the life of the object.
class scoped_env {
 public:
  scoped_env(const char* name, std::optional<std::string> value);
  ~scoped_env();
  scoped_env(const scoped_env&) = delete;
  scoped_env& operator=(const scoped_env&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

inline const QColor kBlue(0, 0, 255);
inline const QColor kRed(255, 0, 0);
inline const QColor kBlack(0, 0, 0);

}  // namespace karigane::testing
