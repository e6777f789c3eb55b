#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
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

TEST_F(PollingTest, AQuietClockKeepsItsStatusForFiveSecondsThenShowsItUnknownUntilItReports) {
    VirtualClock& quiet = addClock(u"Q");
    quiet.setInputReportMode(InputReportMode::OnRequest);
    addClock(u"R");  // reports all fine at every read
    start();
    tick();
    EXPECT_FALSE(shown("LOS") || shown("LOL"));

    // Switching to a clock that has not reported shows nothing of the other one's status.
    control<QComboBox>("SerNo")->setCurrentIndex(0);
    tick();
    EXPECT_TRUE(shown("LOS") && shown("LOL"));
    EXPECT_EQ(text("Label16"), "");

    quiet.state().status = {3, false, false};
    quiet.queueInputReport();
    tick();
    const std::size_t waitsSoFar = waits.size();
    now += std::chrono::milliseconds(4999);
    tick();
    EXPECT_EQ(text("Label16"), "Signal loss count: 3");
    EXPECT_FALSE(shown("LOL"));
    now += std::chrono::milliseconds(1);
    tick();
    EXPECT_EQ(text("Label16"), "");
    EXPECT_TRUE(shown("LOS") && shown("LOL"));
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_EQ(waits.size(), waitsSoFar);  // kept open, not read again

    quiet.queueInputReport();
    tick();
    EXPECT_EQ(text("Label16"), "Signal loss count: 3");
    EXPECT_FALSE(shown("LOS"));
}

TEST_F(PollingTest, ClocksComingAndGoingBesideTheOpenOneOnlyRefreshTheList) {
    VirtualClock& open = addClock(u"A");
    start();
    tick();
    control<QLineEdit>("Out1Freq")->setText("123");
    const std::size_t waitsSoFar = waits.size();
    const std::size_t enumerations = backend.enumerationCount();
    tick();
    EXPECT_EQ(backend.enumerationCount(), enumerations);  // nothing changed, nothing listed

    VirtualClock& later = addClock(u"B");
    tick();
    EXPECT_EQ(items("SerNo"), (QStringList{"A", "B"}));
    EXPECT_EQ(text("SerNo"), "A");
    EXPECT_TRUE(enabled("SerNo"));
    EXPECT_EQ(open.openHandleCount(), 1u);
    EXPECT_EQ(waits.size(), waitsSoFar);  // no switch, no configuration read
    EXPECT_EQ(text("Out1Freq"), "123");

    later.unplug();
    tick();
    EXPECT_EQ(items("SerNo"), QStringList{"A"});
    EXPECT_FALSE(enabled("SerNo"));

    // Where nothing announces a plug, the list is looked at again a second after the last time.
    backend.setNotifiesChanges(false);
    later.plugIn();
    tick();
    EXPECT_EQ(items("SerNo"), QStringList{"A"});
    now += std::chrono::seconds(1);
    tick();
    EXPECT_EQ(items("SerNo"), (QStringList{"A", "B"}));
    EXPECT_EQ(text("SerNo"), "A");
    EXPECT_EQ(open.openHandleCount(), 1u);
    EXPECT_EQ(waits.size(), waitsSoFar);
}

TEST_F(PollingTest, AFailedReadReconnectsInTheSameTickToTheLastClockListed) {
    addClock(u"A");
    VirtualClock& b = addClock(u"B");
    start();
    control<QComboBox>("SerNo")->setCurrentIndex(0);
    const std::size_t opens = backend.openCount();
    backend.clocks().front()->failNext(VirtualFault::ReadInput);
    tick();
    EXPECT_EQ(backend.openCount(), opens + 3);  // the scan tries both, then one is opened
    EXPECT_EQ(b.openHandleCount(), 1u);
    EXPECT_TRUE(window().commandGateOpen());
}

}  // namespace
}  // namespace tarnwell::testing
