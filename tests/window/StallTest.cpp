#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <thread>

#include "CommandLog.h"
#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using namespace std::chrono_literals;

// The window with a clock that stops answering. Its time runs on a heartbeat that only fires
// while the window processes events, so a window that blocked would never see its bound pass.
class StallTest : public WindowFixture {
protected:
    StallTest() {
        QObject::connect(&heartbeat, &QTimer::timeout, [this] {
            now += 50ms;
            ++beats;
        });
        heartbeat.start(1);
    }
    VirtualClock& startReady() {
        VirtualClock& clock = addClock(u"A");
        start();
        EXPECT_TRUE(window().commandGateOpen());
        return clock;
    }
    // The clock answers again; the next tick finds it, opens it and reads it.
    void expectRecovery(VirtualClock& clock) {
        clock.releaseStall();
        // The stuck call returns on its own thread, which then closes its handle: that may take
        // a moment after the release, and the window reopens the clock on the first tick after.
        for (int i = 0; i < 200 && !(window().commandGateOpen() && clock.openHandleCount() == 1);
             ++i) {
            std::this_thread::sleep_for(2ms);
            tick();
        }
        EXPECT_TRUE(window().commandGateOpen());
        EXPECT_EQ(text("GPS"), "10000000");
        // Each stuck handle is closed once its call has returned.
        EXPECT_EQ(clock.openHandleCount(), 1u);
    }

    QTimer heartbeat;
    int beats = 0;
};

TEST_F(StallTest, AConfigurationReadNotAnsweredDropsTheClockAndItComesBack) {
    VirtualClock& clock = startReady();
    clock.stall();
    window().SerNo_Click();
    EXPECT_GT(beats, 0) << "events went on while the window waited";
    EXPECT_EQ(clock.heldRequests(), 1u);
    EXPECT_FALSE(window().deviceOpen());
    EXPECT_FALSE(window().commandGateOpen());
    EXPECT_EQ(text("GPS"), "");
    // Opening a clock would wait for the stuck request: nothing is opened until it returns.
    const std::size_t opens = backend.openCount();
    tick();
    EXPECT_EQ(backend.openCount(), opens);
    expectRecovery(clock);
}

TEST_F(StallTest, AnUpdateNotAnsweredSendsNoSecondCopyAndDropsTheClock) {
    VirtualClock& clock = startReady();
    clock.stall();
    control<QPushButton>("SetFreq")->click();
    EXPECT_FALSE(window().commandGateOpen());
    expectRecovery(clock);
    // The held report reached the clock late; the second copy was never sent.
    EXPECT_EQ(reportsOf(clock, CommandCode::CmdSetFrequency).size(), 1u);
}

TEST_F(StallTest, PollsOfASilentClockKeepItOpen) {
    VirtualClock& clock = startReady();
    tick();
    clock.stall();
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_EQ(clock.heldRequests(), 0u);
    clock.releaseStall();
}

TEST_F(StallTest, ASlowAnswerIsWaitedForWithoutPollingMidHandler) {
    VirtualClock& clock = startReady();
    clock.setInputReportMode(InputReportMode::OnRequest);
    clock.state().status.signalLossCount = 42;
    clock.queueInputReport();
    // Answers come late in real time, while the window's time stands still.
    heartbeat.stop();
    clock.stall(100ms);
    QTimer::singleShot(5ms, [this] { window().Timer_Timer(); });
    control<QPushButton>("SetFreq")->click();
    clock.releaseStall();
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_EQ(reportsOf(clock, CommandCode::CmdSetFrequency).size(), 2u);
    EXPECT_NE(text("Label16"), "Signal loss count: 42") << "a poll ran inside the handler";
    tick();
    EXPECT_EQ(text("Label16"), "Signal loss count: 42");
}

TEST_F(StallTest, ClosingWhileWaitingNeitherHangsNorCrashes) {
    VirtualClock& clock = startReady();
    clock.stall();
    QTimer::singleShot(5ms, [this] { window().close(); });
    control<QPushButton>("SetFreq")->click();
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(window().deviceOpen());
    EXPECT_FALSE(window().findChild<QTimer*>("Timer")->isActive());
    destroyWindow();
    EXPECT_EQ(clock.openHandleCount(), 1u) << "the stuck call keeps its handle";
    clock.releaseStall();
    EXPECT_TRUE(eventually([&] { return clock.openHandleCount() == 0; }));
}

}  // namespace
}  // namespace tarnwell::testing
