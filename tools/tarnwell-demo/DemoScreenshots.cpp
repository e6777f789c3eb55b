#include "DemoScreenshots.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

#include "Demo.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell::demo {

namespace {

using namespace std::chrono_literals;

// Long enough for the windows to be mapped and painted, and for three or so status polls.
constexpr auto kSettleBeforeFind = 500ms;
constexpr auto kPollsAfterFind = 1600ms;

bool save(QWidget& widget, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (widget.grab().save(path))
        return true;
    std::fprintf(stderr, "tarnwell-demo: cannot write %s\n", qPrintable(path));
    return false;
}

void findTenMegahertz(frmMain& window) {
    auto* out1 = window.findChild<QLineEdit*>(QStringLiteral("Out1Freq"));
    auto* find = window.findChild<QPushButton*>(QStringLiteral("FindFreq"));
    if (!out1 || !find)
        return;
    out1->setText(QStringLiteral("10000000"));
    find->click();
}

// The README's picture: the window as it opens on one clock with the simulator's defaults, two
// signal losses counted.
bool saveWindowOnOneClock(const QDir& folder) {
    VirtualClockBackend backend;
    VirtualClockDescription described;
    described.serial = u"TW240117";
    backend.addClock(described).state().status = {2, false, false};
    frmMain window(
        backend, [](std::chrono::milliseconds) {}, [](QWidget&, const QString&, const QString&) {});
    window.Form_Load();
    window.Timer_Timer();
    QApplication::processEvents();
    const bool saved = save(window, folder, QStringLiteral("window.png"));
    window.close();
    return saved;
}

// What the simulated clocks received, as their logs in the simulator show it: the check under
// Wine (scripts/windows-demo-check.sh) reads it.
void printReceivedReports(QWidget& simulator) {
    for (const auto* log :
         simulator.findChildren<QPlainTextEdit*>(QStringLiteral("ReceivedReports")))
        std::printf("%s\n", qPrintable(log->toPlainText()));
    std::fflush(stdout);
}

}  // namespace

void takeScreenshots(Demo& demo, const QString& folder) {
    QTimer::singleShot(kSettleBeforeFind, &demo.window(), [&demo, folder] {
        findTenMegahertz(demo.window());
        QTimer::singleShot(kPollsAfterFind, &demo.window(), [&demo, folder] {
            const QDir target(folder);
            const bool saved =
                target.mkpath(QStringLiteral(".")) &&
                save(demo.window(), target, QStringLiteral("demo-main.png")) &&
                save(demo.simulator(), target, QStringLiteral("demo-simulator.png")) &&
                saveWindowOnOneClock(target);
            printReceivedReports(demo.simulator());
            QApplication::exit(saved ? 0 : 1);
        });
    });
}

}  // namespace tarnwell::demo
