// Every feature report the window hands a healthy clock, handler by handler, against a recording
// made before its device I/O left the window's thread: order and bytes must stay.
// TARNWELL_RECORD_SEQUENCES=1 rewrites the recording.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <sstream>

#include "WatchedBackend.h"
#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using ReportSequence = WindowFixture;

TEST_F(ReportSequence, EveryHandlerSendsWhatItSentBefore) {
    VirtualClock& clock = addClock(u"VC000001");
    std::ostringstream transcript;  // written on the I/O thread while the test thread waits
    soak::WatchedBackend watched(backend, [&transcript](const soak::FeatureTransfer& transfer) {
        transcript << (transfer.direction == soak::FeatureTransfer::Direction::Send ? "send "
                                                                                    : "get ");
        for (const std::uint8_t byte : transfer.bytes)
            transcript << "0123456789abcdef"[byte >> 4] << "0123456789abcdef"[byte & 0x0F];
        transcript << '\n';
    });
    windowBackend = &watched;
    const auto step = [&transcript](const char* name, const std::function<void()>& action) {
        transcript << "== " << name << '\n';
        action();
    };
    const auto type = [this](const char* box, const char* text) {
        control<QLineEdit>(box)->setText(QString::fromLatin1(text));
    };
    const auto click = [this](const char* button) { control<QPushButton>(button)->click(); };

    step("Form_Load", [&] { start(); });
    step("OUT1EN off", [&] { control<QCheckBox>("OUT1EN")->setChecked(false); });
    step("OUT2EN off", [&] { control<QCheckBox>("OUT2EN")->setChecked(false); });
    step("OUT1EN on", [&] { control<QCheckBox>("OUT1EN")->setChecked(true); });
    for (const char* button : {"OUT1ID", "OUT1ID", "OUT2ID"})
        step(button, [&] { click(button); });
    step("Enc1", [&] { control<QComboBox>("Enc1")->setCurrentIndex(3); });
    step("Find", [&] { find("10000000"); });
    step("OUT2 and PhaseBox", [&] {
        control<QComboBox>("OUT2")->setCurrentIndex(3);
        control<QComboBox>("PhaseBox")->setCurrentIndex(5);
    });
    step("Update", [&] {
        type("N2_LS", "600");
        click("SetFreq");
    });
    step("Sleep_cmd", [&] { click("Sleep_cmd"); });
    step("WriteRegister", [&] {
        type("REG", "17");
        type("DATA", "200");
        click("WriteRegister");
    });
    step("SerNo re-pick", [&] { window().SerNo_Click(); });
    step("unplug and replug", [&] {
        clock.unplug();
        tick();
        clock.plugIn();
        tick();
    });

    const std::string recording = TARNWELL_REPORT_SEQUENCES;
    if (qEnvironmentVariableIntValue("TARNWELL_RECORD_SEQUENCES") == 1)
        std::ofstream(recording) << transcript.str();
    std::ostringstream expected;
    expected << std::ifstream(recording).rdbuf();
    EXPECT_EQ(transcript.str(), expected.str());
}

}  // namespace
}  // namespace tarnwell::testing
