// Every exchange the window makes with a healthy clock, handler by handler, against a recording
// made before the window's device I/O moved off its thread: the order and every byte must stay.
// TARNWELL_RECORD_SEQUENCES=1 rewrites the recording.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "OffscreenApplication.h"
#include "sim/ForwardingBackend.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell::testing {
namespace {

std::string hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// The calls may come from another thread than the test's.
class Transcript {
public:
    void add(const std::string& line) {
        const std::lock_guard lock(mutex_);
        text_ << line << '\n';
    }
    std::string text() const {
        const std::lock_guard lock(mutex_);
        return text_.str();
    }

private:
    mutable std::mutex mutex_;
    std::ostringstream text_;
};

class RecordedDevice final : public ForwardingDevice {
public:
    RecordedDevice(std::unique_ptr<HidDevice> inner, Transcript& transcript)
        : ForwardingDevice(std::move(inner)), transcript_(transcript) {}
    bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        transcript_.add("send " + hex(report));
        return ForwardingDevice::sendFeatureReport(report);
    }
    std::optional<std::size_t> getFeatureReport(std::span<std::uint8_t> buffer) override {
        transcript_.add("get " + hex(buffer));
        return ForwardingDevice::getFeatureReport(buffer);
    }
    InputRead readNewestInputReport() override {
        transcript_.add("read");
        return ForwardingDevice::readNewestInputReport();
    }
    std::optional<std::u16string> manufacturer() override {
        transcript_.add("manufacturer");
        return ForwardingDevice::manufacturer();
    }
    std::optional<std::u16string> product() override {
        transcript_.add("product");
        return ForwardingDevice::product();
    }

private:
    Transcript& transcript_;
};

class RecordedBackend final : public ForwardingBackend {
public:
    RecordedBackend(HidBackend& inner, Transcript& transcript)
        : ForwardingBackend(inner), transcript_(transcript) {}

protected:
    std::unique_ptr<HidDevice> wrap(const std::string& path,
                                    std::unique_ptr<HidDevice> device) override {
        transcript_.add("open " + path);
        return std::make_unique<RecordedDevice>(std::move(device), transcript_);
    }

private:
    Transcript& transcript_;
};

TEST(ReportSequence, EveryHandlerSendsWhatItSentBefore) {
    ensureOffscreenApplication();
    VirtualClockBackend clocks;
    VirtualClock& clock = clocks.addClock();
    Transcript transcript;
    RecordedBackend backend(clocks, transcript);
    frmMain window(
        backend, [](std::chrono::milliseconds) {}, [](QWidget&, const QString&, const QString&) {},
        [](QWidget&, const QString&, const QString&, const QStringList&) { return -1; });
    const auto at = std::chrono::steady_clock::time_point(std::chrono::hours(1));
    window.setClock([at] { return at; });

    const auto step = [&](const char* name, const std::function<void()>& action) {
        transcript.add(std::string("== ") + name);
        action();
    };
    const auto find = [&window](const char* name) {
        return window.findChild<QWidget*>(QString::fromLatin1(name));
    };
    const auto click = [&find](const char* name) {
        static_cast<QPushButton*>(find(name))->click();
    };
    const auto check = [&find](const char* name, bool on) {
        static_cast<QCheckBox*>(find(name))->setChecked(on);
    };
    const auto pick = [&find](const char* name, int index) {
        static_cast<QComboBox*>(find(name))->setCurrentIndex(index);
    };
    const auto type = [&find](const char* name, const char* text) {
        static_cast<QLineEdit*>(find(name))->setText(QString::fromLatin1(text));
    };

    step("Form_Load", [&] { window.Form_Load(); });
    step("Timer", [&] { window.Timer_Timer(); });
    step("OUT1EN off", [&] { check("OUT1EN", false); });
    step("OUT2EN off", [&] { check("OUT2EN", false); });
    step("OUT1EN on", [&] { check("OUT1EN", true); });
    step("OUT1ID", [&] { click("OUT1ID"); });
    step("OUT1ID again", [&] { click("OUT1ID"); });
    step("OUT2ID", [&] { click("OUT2ID"); });
    step("Enc1", [&] { pick("Enc1", 3); });
    step("Find", [&] {
        type("Out1Freq", "10000000");
        click("FindFreq");
    });
    step("OUT2", [&] { pick("OUT2", 3); });
    step("PhaseBox", [&] { pick("PhaseBox", 5); });
    step("Update", [&] {
        type("N2_LS", "600");
        click("SetFreq");
    });
    step("Sleep", [&] { click("Sleep_cmd"); });
    step("WriteRegister", [&] {
        type("REG", "17");
        type("DATA", "200");
        click("WriteRegister");
    });
    step("SerNo re-pick", [&] { window.SerNo_Click(); });
    step("unplugged", [&] {
        clock.unplug();
        window.Timer_Timer();
    });
    step("plugged in", [&] {
        clock.plugIn();
        window.Timer_Timer();
        window.Timer_Timer();
    });
    step("Form_Unload", [&] { window.Form_Unload(); });

    const std::string recording = TARNWELL_REPORT_SEQUENCES;
    if (qEnvironmentVariableIntValue("TARNWELL_RECORD_SEQUENCES") == 1)
        std::ofstream(recording) << transcript.text();
    std::ostringstream expected;
    expected << std::ifstream(recording).rdbuf();
    EXPECT_EQ(transcript.text(), expected.str());
}

}  // namespace
}  // namespace tarnwell::testing
