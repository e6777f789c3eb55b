#include <QCheckBox>
#include <QPushButton>

#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

using OutputCommandsTest = WindowFixture;

TEST_F(OutputCommandsTest, EnablesAlwaysCarryBothOutputs) {
    VirtualClock& clock = addClock(u"A");
    clock.state().outputEnables = 0x01;
    start();
    control<QCheckBox>("OUT2EN")->setChecked(true);
    control<QCheckBox>("OUT1EN")->setChecked(false);
    EXPECT_EQ(payloadBytes(clock), (std::vector{3, 2}));
    EXPECT_EQ(clock.state().outputEnables, 0x02);
}

// The clock forgets what it identified when it is unplugged; a fresh connection starts with both
// toggles off, so the first press turns identification on.
TEST_F(OutputCommandsTest, IdentifyStartsOffAfterAReconnection) {
    VirtualClock& clock = addClock(u"A");
    start();
    control<QPushButton>("OUT1ID")->click();
    clock.unplug();
    tick();
    clock.plugIn();
    tick();
    control<QPushButton>("OUT1ID")->click();
    EXPECT_EQ(payloadBytes(clock), (std::vector{1, 1}));
}

TEST_F(OutputCommandsTest, IdentifyStartsOffAfterSwitchingClocks) {
    VirtualClock& first = addClock(u"A");
    VirtualClock& last = addClock(u"B");
    start();
    control<QPushButton>("OUT2ID")->click();
    control<QComboBox>("SerNo")->setCurrentIndex(0);
    control<QPushButton>("OUT2ID")->click();
    EXPECT_EQ(payloadBytes(last), std::vector{2});
    EXPECT_EQ(payloadBytes(first), std::vector{2});
}

}  // namespace
}  // namespace tarnwell::testing
