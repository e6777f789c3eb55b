#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "planning/PllSettings.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell::testing {

// The window on virtual clocks, with waits recorded instead of slept, warning boxes and notices
// recorded instead of shown, and time that moves only when a test moves it.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();
    ~WindowFixture() override;

    VirtualClock& addClock(std::u16string serial, const PllBoxValues* pll = nullptr);
    frmMain& window();  // made on first use, not loaded
    frmMain& start();   // made and loaded
    void destroyWindow() { window_.reset(); }
    void tick() { window().Timer_Timer(); }

    template <typename Control = QWidget>
    Control* control(const char* name) {
        auto* found = window().findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // What the control shows: a caption, a box's text or a list's selected entry.
    QString text(const char* name);
    QStringList items(const char* name);
    bool shown(const char* name) { return control(name)->isVisibleTo(&window()); }
    bool enabled(const char* name) { return control(name)->isEnabled(); }
    // Types the output-1 frequency and presses Find.
    void find(const QString& out1);
    // For what another thread brings about: tries the condition, in real time, for a few seconds.
    static bool eventually(const std::function<bool()>& condition);
    // Byte 2 of every report the clock received, in order.
    static std::vector<int> payloadBytes(const VirtualClock& clock);

    VirtualClockBackend backend;
    // Set before the window is made, the window sees the clocks through this instead.
    HidBackend* windowBackend = nullptr;
    std::vector<std::chrono::milliseconds> waits;
    std::vector<QString> warnings;  // "title: text"
    struct Question {
        QString text;  // "title: text"
        QStringList choices;
    };
    std::vector<Question> questions;
    // Picks a choice's index for each question; left empty, every question is closed unanswered.
    std::function<int(const QStringList& choices)> answer;
    std::vector<QString> notices;
    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};  // the window's time

private:
    std::unique_ptr<frmMain> window_;
};

}  // namespace tarnwell::testing
