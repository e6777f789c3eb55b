#pragma once

#include <QApplication>
#include <QtGlobal>

namespace tarnwell::testing {

// The one QApplication of a test or benchmark program, on the offscreen platform unless the
// environment names another. Never destroyed: every test's windows use it, and tearing Qt down
// during exit, after its own globals, crashes.
inline void ensureOffscreenApplication() {
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tarnwell-tests";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    Q_UNUSED(application);
}

}  // namespace tarnwell::testing
