#pragma once
// The window programs answer --help and --version without a display: help2man runs them at build
// time to write the manual pages, and people ask over ssh. QCommandLineParser answers them before
// any window opens, but QApplication needs a platform first, so for them it gets the offscreen one.

#include <QtGlobal>
#include <string_view>

namespace tarnwell {

inline void useOffscreenForTextOptions([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)  // elsewhere the native platform needs no display
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            return;
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" || arg == "-v" ||
            arg == "--version") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
#endif
}

}  // namespace tarnwell
