#include <QCheckBox>
#include <QTimer>

#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using PollingTest = WindowFixture;

TEST_F(PollingTest, ShowsTheCountAndTheWarningsOfEachReport) {
    VirtualClock& clock = addClock(u"A");
    start();
    struct Case {
        InputStatus status;
        const char* count;
        bool los;
        bool lol;
    };
    for (const Case& c : {Case{{0, false, false}, "Signal loss count: 0", false, false},
                          Case{{255, true, true}, "Signal loss count: 255", true, true},
                          Case{{7, false, true}, "Signal loss count: 7", false, true},
                          Case{{1, true, false}, "Signal loss count: 1", true, false}}) {
        clock.state().status = c.status;
        tick();
        EXPECT_EQ(text("Label16"), c.count);
        EXPECT_EQ(shown("LOS"), c.los) << c.count;
        EXPECT_EQ(shown("LOL"), c.lol) << c.count;
    }
    EXPECT_EQ(window().findChild<QTimer*>("Timer")->interval(), 500);
}

TEST_F(PollingTest, UnplugClosesWithinOnePollAndReplugReadsTheClockAgain) {
    VirtualClock& clock = addClock(u"A");
    start();
    tick();
    const QString out2 = text("OUT2");
    clock.unplug();
    tick();
    EXPECT_EQ(clock.openHandleCount(), 0u);
    EXPECT_FALSE(window().commandGateOpen());
    EXPECT_TRUE(items("SerNo").isEmpty());
    EXPECT_FALSE(enabled("Frame3"));
    EXPECT_EQ(text("OUT2"), out2);  // what an earlier read left stays
    EXPECT_FALSE(shown("LOS"));     // as the last good report said
    EXPECT_EQ(window().findChild<QTimer*>("Timer")->interval(), 250);
    control<QCheckBox>("OUT1EN")->setChecked(true);
    EXPECT_TRUE(clock.receivedReports().empty());

    clock.state().pllSettings[0] = 0x81;  // GPS 10000001
    clock.plugIn();
    tick();
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_EQ(text("GPS"), "10000001");
    EXPECT_TRUE(clock.receivedReports().empty());
}

TEST_F(PollingTest, ADifferentClockPluggedInIsTakenUp) {
    VirtualClock& a = addClock(u"A");
    start();
    backend.removeClock(a);
    const PllBoxValues pll{9000000, 9, 4, 2, 4, 2, 2, 0, 0};
    addClock(u"B", &pll);
    tick();
    EXPECT_EQ(items("SerNo"), QStringList{"B"});
    EXPECT_EQ(text("GPS"), "9000000");
    EXPECT_TRUE(window().commandGateOpen());
}

TEST_F(PollingTest, NothingQueuedKeepsTheClockAndTheLastStatus) {
    VirtualClock& clock = addClock(u"A");
    clock.setInputReportMode(InputReportMode::OnRequest);
    start();
    clock.state().status = {3, false, false};
    clock.queueInputReport();
    tick();
    const std::size_t waitsSoFar = waits.size();
    tick();
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_EQ(waits.size(), waitsSoFar);  // not read again
    EXPECT_EQ(text("Label16"), "Signal loss count: 3");
    EXPECT_FALSE(shown("LOL"));
}

TEST_F(PollingTest, AFailedReadReconnectsInTheSameTickToTheLastClockListed) {
    addClock(u"A");
    VirtualClock& b = addClock(u"B");
    start();
    control<QComboBox>("SerNo")->setCurrentIndex(0);
    const std::size_t opens = backend.openCount();
    backend.clocks().front()->failNext(VirtualFault::ReadInput);
    tick();
    EXPECT_EQ(backend.openCount(), opens + 1);
    EXPECT_EQ(b.openHandleCount(), 1u);
    EXPECT_TRUE(window().commandGateOpen());
}

}  // namespace
}  // namespace tarnwell::testing
