// Controls carry object names ("settei_cmd", "Label1", ...) by which tests and tools find them.
#pragma once

#include <QString>

namespace karigane {

// The widget, given its object name.
template <class W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

}  // namespace karigane
