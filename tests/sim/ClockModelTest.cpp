#include "sim/ClockModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "readback/ConfigReport.h"

using namespace tarnwell;
using ::testing::ElementsAre;

namespace {

std::vector<std::uint8_t> report(std::initializer_list<std::uint8_t> head, std::size_t length) {
    std::vector<std::uint8_t> bytes(head);
    bytes.resize(length, 0);
    return bytes;
}

}  // namespace

TEST(ClockModel, AppliesEveryCommandAndAnswersWithIt) {
    ClockModel clock(32, 8);
    clock.receiveFeatureReport(report({0, 1, 0x02}, 32));
    clock.receiveFeatureReport(report({0, 2, 0x02}, 32));
    clock.receiveFeatureReport(report({0, 3, 0x07}, 32));
    clock.receiveFeatureReport(report({0, 5, 25, 160}, 32));
    clock.receiveFeatureReport(report({0, 6}, 32));
    std::vector<std::uint8_t> program = report({0, 4}, 32);
    for (std::size_t i = 0; i < kPllSettingsSize; ++i) {
        program[2 + i] = static_cast<std::uint8_t>(0x10 + i);
    }
    clock.receiveFeatureReport(program);

    const ClockState& state = clock.state();
    EXPECT_EQ(state.outputEnables, 0x02);
    EXPECT_EQ(state.identifySelection, 2);
    EXPECT_EQ(state.driveStrength, 7);
    EXPECT_EQ(state.registers[25], 160);
    EXPECT_EQ(state.sleepCommands, 1u);

    const auto config = clock.configurationReport();
    ASSERT_EQ(config.size(), 32u);
    EXPECT_THAT(std::vector(config.begin(), config.begin() + 4), ElementsAre(0, 0x02, 7, 0x10));
    EXPECT_EQ(config[21], 0x10 + 18);
    EXPECT_EQ(config[22], 0);
}

TEST(ClockModel, LogsEveryReportButAppliesOnlyCompleteKnownCommands) {
    ClockModel clock(65, 65);
    const ClockState before = clock.state();
    clock.receiveFeatureReport(report({0, 4, 0xFF}, 20));  // one byte short of the record
    clock.receiveFeatureReport(report({0, 9, 0xFF}, 65));  // no such command
    clock.receiveFeatureReport(report({0}, 1));
    EXPECT_EQ(clock.state().pllSettings, before.pllSettings);
    EXPECT_EQ(clock.state().outputEnables, before.outputEnables);

    const auto& log = clock.receivedReports();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].bytes.size(), 20u);
    EXPECT_EQ(log[0].command, CommandCode::CmdSetFrequency);
    EXPECT_FALSE(log[1].command);
    EXPECT_FALSE(log[2].command);
}

TEST(ClockModel, CutsItsReportsAtTheDeclaredLengths) {
    ClockModel clock(10, 2);
    clock.state().status = {3, true, true};
    EXPECT_EQ(clock.configurationReport().size(), 10u);
    EXPECT_FALSE(decodeConfigReport(clock.configurationReport()));
    EXPECT_THAT(clock.inputReport(), ElementsAre(0, 3));
}
