#include <QApplication>

#include <benchmark/benchmark.h>

#include "app/frmMain.h"
#include "device/VirtualClockBackend.h"
#include "planning/PllSettings.h"

namespace tarnwell {
namespace {

void ensureApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tarnwell-bench";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends.
    static auto* instance = new QApplication(argc, argv);
    Q_UNUSED(instance);
}

// A clock whose NC2_LS lies beyond the list: the read fills OUT2 with all 32701 entries, and the
// window then handles the events the fill left behind, as it would before the next user action.
void ConfigurationReadWithFullOutput2List(benchmark::State& state) {
    ensureApplication();
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
