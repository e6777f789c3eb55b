#include "WindowFixture.h"

#include "OffscreenApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <thread>

namespace tarnwell::testing {

WindowFixture::WindowFixture() {
    ensureOffscreenApplication();
}

// A request a test left stalled is answered, so that no thread waits past the test.
WindowFixture::~WindowFixture() {
    window_.reset();
    for (const auto& clock : backend.clocks())
        clock->releaseStall();
}

bool WindowFixture::eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

VirtualClock& WindowFixture::addClock(std::u16string serial, const PllBoxValues* pll) {
    VirtualClockDescription described;
    described.serial = std::move(serial);
    VirtualClock& clock = backend.addClock(std::move(described));
    if (pll)
        clock.state().pllSettings = encodePllSettings(*pll).bytes;
    return clock;
}

frmMain& WindowFixture::window() {
    if (!window_) {
        window_ = std::make_unique<frmMain>(
            windowBackend ? *windowBackend : backend,
            [this](std::chrono::milliseconds pause) { waits.push_back(pause); },
            [this](QWidget&, const QString& title, const QString& text) {
                warnings.push_back(title + ": " + text);
            },
            [this](QWidget&, const QString& title, const QString& text,
                   const QStringList& choices) {
                questions.push_back({title + ": " + text, choices});
                return answer ? answer(choices) : -1;
            });
        window_->setClock([this] { return now; });
        window_->setNoticeBox([this](QWidget&, const QString& text) { notices.push_back(text); });
    }
    return *window_;
}

frmMain& WindowFixture::start() {
    window().Form_Load();
    return window();
}

void WindowFixture::find(const QString& out1) {
    control<QLineEdit>("Out1Freq")->setText(out1);
    control<QPushButton>("FindFreq")->click();
}

QString WindowFixture::text(const char* name) {
    QWidget* widget = control(name);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* box = qobject_cast<QLineEdit*>(widget))
        return box->text();
    if (auto* list = qobject_cast<QComboBox*>(widget))
        return list->currentText();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    return {};
}

QStringList WindowFixture::items(const char* name) {
    auto* list = control<QComboBox>(name);
    QStringList entries;
    for (int i = 0; list && i < list->count(); ++i)
        entries.append(list->itemText(i));
    return entries;
}

std::vector<int> WindowFixture::payloadBytes(const VirtualClock& clock) {
    std::vector<int> bytes;
    for (const ReceivedFeatureReport& report : clock.receivedReports())
        bytes.push_back(report.bytes.at(2));
    return bytes;
}

}  // namespace tarnwell::testing
