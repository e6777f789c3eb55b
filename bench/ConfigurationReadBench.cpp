#include <QApplication>

#include <benchmark/benchmark.h>

#include "OffscreenApplication.h"
#include "planning/PllSettings.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell {
namespace {

// A clock whose NC2_LS lies beyond the list: the read fills OUT2 with all 32701 entries, and the
// window then handles the events the fill left behind, as it would before the next user action.
void ConfigurationReadWithFullOutput2List(benchmark::State& state) {
    testing::ensureOffscreenApplication();
    VirtualClockBackend backend;
    backend.addClock().state().pllSettings =
        encodePllSettings({10000000, 1, 4, 2, 4, 2, 70001, 0, 0}).bytes;
    frmMain window(
        backend, [](std::chrono::milliseconds) {}, [](QWidget&, const QString&, const QString&) {});
    window.Form_Load();
    for (auto _ : state) {
        window.ReadDeviceConfig();
        QApplication::processEvents();
    }
    window.close();
}
BENCHMARK(ConfigurationReadWithFullOutput2List)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwell
