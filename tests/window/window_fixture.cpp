// The window tests' fixture: see window_fixture.h.
#include "window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>

namespace karigane::testing {

main_window& window_test::open(const local_time& now, bool set_up_folder) {
  main_window_setup setup;
  setup.program_folder = dir_.path();
  setup.factory_folder = KARIGANE_DATA_DIR_FOR_TESTS;
  setup.fixed_now = now;
  setup.set_up_folder = set_up_folder;
  window_ = std::make_unique<main_window>(setup);
  window_->show();
  return *window_;
}

void window_test::click(const char* name) {
  auto* w = control<QWidget>(name);
  if (w == nullptr) return;
  const bool box =
      qobject_cast<QCheckBox*>(w) != nullptr || qobject_cast<QRadioButton*>(w) != nullptr;
  QTest::mouseClick(w, Qt::LeftButton, {}, box ? QPoint(6, w->height() / 2) : QPoint());
}

QColor window_test::label_colour_of(const char* name) {
  auto* label = control<QLabel>(name);
  return label != nullptr ? label->palette().color(QPalette::WindowText) : QColor();
}

QColor window_test::text_colour_of(const char* name) {
  auto* box = control<QLineEdit>(name);
  return box != nullptr ? box->palette().color(QPalette::Text) : QColor();
}

std::string window_test::text_of(const char* name) {
  auto* label = control<QLabel>(name);
  return label != nullptr ? label->text().toStdString() : std::string();
}

scoped_env::scoped_env(const char* name, std::optional<std::string> value) : name_(name) {
  if (const char* v = std::getenv(name)) saved_ = v;
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

scoped_env::~scoped_env() {
  if (saved_) {
    ::setenv(name_.c_str(), saved_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

}  // namespace karigane::testing
