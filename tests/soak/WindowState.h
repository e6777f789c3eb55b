#pragma once

#include <QString>

#include <map>

class QWidget;

namespace tarnwell::soak {

// Everything the window shows, control by control (by object name): enabled and visible
// states, captions, texts, check marks, list entries and selections.
using WindowState = std::map<QString, QString>;
WindowState describeWindow(const QWidget& window);

}  // namespace tarnwell::soak
