#include <QLineEdit>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TransferCheck.h"
#include "WindowFixture.h"
#include "commands/CommandPayloads.h"
#include "commands/SetFrequencyCommand.h"

namespace tarnwell::soak {
namespace {

using ::testing::IsEmpty;
using ::testing::Not;

class TransferCheckTest : public testing::WindowFixture {
protected:
    std::vector<std::string> problems(
        const std::vector<std::uint8_t>& bytes,
        FeatureTransfer::Direction direction = FeatureTransfer::Direction::Send,
        std::size_t openDevices = 1) {
        return transferProblems({direction, 65, bytes, openDevices}, window(), {});
    }
};

// The soak is only as good as this judge: it must pass what the window says and catch every
// kind of wrong byte.
TEST_F(TransferCheckTest, PassesWhatTheControlsSayAndCatchesEveryDeparture) {
    VirtualClock& clock = addClock(u"A1");
    start();  // both outputs enabled, the factory setting in the boxes

    const FeatureReport enables = *outputEnableReport(true, true, 65);
    EXPECT_THAT(problems(enables), IsEmpty());
    FeatureReport changed = enables;
    changed[2] = 0x01;  // output 2 off, though its box is checked
    EXPECT_THAT(problems(changed), Not(IsEmpty()));
    changed = enables;
    changed[40] = 0x01;  // a byte the command does not set
    EXPECT_THAT(problems(changed), Not(IsEmpty()));
    changed = enables;
    changed.pop_back();
    EXPECT_THAT(problems(changed), Not(IsEmpty()));
    EXPECT_THAT(problems(enables, FeatureTransfer::Direction::Send, 2), Not(IsEmpty()));

    const FeatureReport programming = *setFrequencyReport(clock.state().pllSettings, 65);
    EXPECT_THAT(problems(programming), IsEmpty());
    control<QLineEdit>("N2_LS")->setText(QStringLiteral("51235"));  // odd: not clamped yet
    EXPECT_THAT(problems(programming), Not(IsEmpty()));

    EXPECT_THAT(problems(FeatureReport(65, 0), FeatureTransfer::Direction::Get), IsEmpty());
    changed = FeatureReport(65, 0);
    changed[1] = 4;
    EXPECT_THAT(problems(changed, FeatureTransfer::Direction::Get), Not(IsEmpty()));

    clock.unplug();
    tick();
    EXPECT_THAT(problems(*sleepReport(65)), Not(IsEmpty()));  // the gate is closed now
}

}  // namespace
}  // namespace tarnwell::soak
