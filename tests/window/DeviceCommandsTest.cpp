#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "CommandLog.h"
#include "WindowFixture.h"

namespace tarnwell::testing {
namespace {

class DeviceCommandsTest : public WindowFixture {
protected:
    void writeRegister(const QString& reg, const QString& data) {
        control<QLineEdit>("REG")->setText(reg);
        control<QLineEdit>("DATA")->setText(data);
        control<QPushButton>("WriteRegister")->click();
    }
};

TEST_F(DeviceCommandsTest, SleepSendsItsFixedBytesEachTime) {
    VirtualClock& clock = addClock(u"A");
    start();
    const std::size_t waitsAtStart = waits.size();
    control<QPushButton>("Sleep_cmd")->click();
    control<QPushButton>("Sleep_cmd")->click();
    EXPECT_EQ(waits.size(), waitsAtStart);  // no configuration read follows
    const ReportBytes sleep = commandReport(
        CommandCode::CmdSleep,
        {0x32, 0x00, 0x80, 0x96, 0x98, 0x00, 0x80, 0x96, 0x98, 0x00, 0x00, 0x00, 0x00, 0x00, 0x41});
    EXPECT_EQ(reportsOf(clock, CommandCode::CmdSleep), (std::vector{sleep, sleep}));
    EXPECT_EQ(clock.receivedReports().size(), 2u);
}

TEST_F(DeviceCommandsTest, RegisterWriteSendsTwoRoundedBytes) {
    VirtualClock& clock = addClock(u"A");
    start();
    const QString shownBefore = text("Out1Freq");
    const std::size_t waitsAtStart = waits.size();
    writeRegister("25", "160");
    writeRegister("255", "0");
    writeRegister("1", "12.5");
    writeRegister("2", "13.5");
    EXPECT_EQ(reportsOf(clock, CommandCode::CmdWriteRegister),
              (std::vector{commandReport(CommandCode::CmdWriteRegister, {0x19, 0xA0}),
                           commandReport(CommandCode::CmdWriteRegister, {0xFF, 0x00}),
                           commandReport(CommandCode::CmdWriteRegister, {0x01, 0x0C}),
                           commandReport(CommandCode::CmdWriteRegister, {0x02, 0x0E})}));
    EXPECT_EQ(clock.state().registers[25], 160);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(text("Out1Freq"), shownBefore);
    EXPECT_EQ(text("REG") + "/" + text("DATA"), "2/13.5");
    EXPECT_EQ(waits.size(), waitsAtStart);  // no configuration read follows
}

TEST_F(DeviceCommandsTest, RegisterWriteRefusesTextThatIsNotAByte) {
    VirtualClock& clock = addClock(u"A");
    start();
    const struct {
        const char* reg;
        const char* data;
        const char* box;
    } cases[] = {{"", "1", "Register"},   {"x", "1", "Register"},    {"256", "1", "Register"},
                 {"-1", "1", "Register"}, {"1", "", "Value"},        {"1", "255.5", "Value"},
                 {"1", "0x10", "Value"},  {"bad", "bad", "Register"}};
    for (const auto& c : cases) {
        warnings.clear();
        writeRegister(c.reg, c.data);
        EXPECT_EQ(warnings, std::vector<QString>{QString("Register write: %1 must be a number from "
                                                         "0 to 255.")
                                                     .arg(c.box)})
            << c.reg << " / " << c.data;
    }
    EXPECT_TRUE(clock.receivedReports().empty());
}

// Unplugged and not yet reconnected: the clock is back on the bus, but the window has not opened
// it again. Nothing reaches it and nothing is said until the next poll reconnects.
TEST_F(DeviceCommandsTest, EveryCommandIsSilentWithTheGateClosed) {
    VirtualClock& clock = addClock(u"A");
    start();
    clock.unplug();
    tick();
    clock.plugIn();
    ASSERT_FALSE(window().commandGateOpen());

    const auto pressEverything = [&] {
        control<QCheckBox>("OUT1EN")->toggle();
        control<QCheckBox>("OUT2EN")->toggle();
        window().OUT1ID_Click();
        window().OUT2ID_Click();
        window().Enc1_Click();
        window().Sleep_cmd_Click();
        window().WriteRegister_Click();
        window().SetFreq_Click();
    };
    control<QLineEdit>("REG")->setText("not a byte");
    control<QLineEdit>("N2_LS")->setText("481");
    pressEverything();
    EXPECT_TRUE(warnings.empty());
    EXPECT_TRUE(clock.receivedReports().empty());
    EXPECT_EQ(control<QLineEdit>("N2_LS")->text(), "481");  // Update did not even clamp

    tick();
    ASSERT_TRUE(window().commandGateOpen());
    control<QLineEdit>("REG")->setText("7");
    control<QLineEdit>("DATA")->setText("7");
    pressEverything();
    EXPECT_EQ(clock.receivedReports().size(), 9u);  // Update sends twice
}

}  // namespace
}  // namespace tarnwell::testing
