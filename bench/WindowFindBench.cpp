#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <memory>

#include "OffscreenApplication.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell {
namespace {

// The window on one virtual clock, loaded and shown.
struct LoadedWindow {
    VirtualClockBackend backend;
    VirtualClock& clock = backend.addClock();
    frmMain window{backend, [](std::chrono::milliseconds) {},
                   [](QWidget&, const QString&, const QString&) {}};
    LoadedWindow() { window.Form_Load(); }
    ~LoadedWindow() { window.close(); }
    template <typename Control>
    Control* control(const char* name) {
        return window.findChild<Control*>(QString::fromLatin1(name));
    }
};

std::size_t setFrequencyReportCount(const VirtualClock& clock) {
    std::size_t count = 0;
    for (const ReceivedFeatureReport& report : clock.receivedReports())
        count += report.command == CommandCode::CmdSetFrequency;
    return count;
}

// From the click on Find to its return, by which both command-4 reports have been sent.
void FindTenMegahertzUntilProgrammed(benchmark::State& state) {
    testing::ensureOffscreenApplication();
    LoadedWindow w;
    w.control<QLineEdit>("Out1Freq")->setText(QStringLiteral("10000000"));
    auto* find = w.control<QPushButton>("FindFreq");
    for (auto _ : state)
        find->click();
    if (setFrequencyReportCount(w.clock) != 2 * static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("Find did not program the clock twice per click");
}
BENCHMARK(FindTenMegahertzUntilProgrammed)->Unit(benchmark::kMillisecond);

// One click of a page button on a list of 98101 output-2 values (k = 98100), between two full
// pages of 32701 entries, including the events the refill leaves for the window.
void PageOutput2ListOfFourPages(benchmark::State& state) {
    testing::ensureOffscreenApplication();
    LoadedWindow w;
    constexpr int kNc = 196202;
    for (const char* box : {"NC1_LS", "NC2_LS"})
        w.control<QLineEdit>(box)->setText(QString::number(kNc));
    w.window.ShowOut2Choices(1000, kNc);  // shows page 2 of 4
    auto* back = w.control<QPushButton>("BtnPrev");
    auto* forward = w.control<QPushButton>("BtnNxt");
    bool onLaterPage = true;
    for (auto _ : state) {
        (onLaterPage ? back : forward)->click();
        onLaterPage = !onLaterPage;
        QApplication::processEvents();
    }
}
BENCHMARK(PageOutput2ListOfFourPages)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwell
