#include "device/FeatureReport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

using namespace tarnwell;
using ::testing::Each;
using ::testing::ElementsAre;

TEST(FeatureReport, FillsTheWholeDeviceLengthWithZerosAroundCodeAndPayload) {
    const std::array<std::uint8_t, 2> payload = {0xAB, 0xCD};
    const auto report = buildFeatureReport(CommandCode::CmdWriteRegister, payload, 65);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->size(), 65u);
    EXPECT_THAT(std::vector(report->begin(), report->begin() + 4), ElementsAre(0, 5, 0xAB, 0xCD));
    EXPECT_THAT(std::vector(report->begin() + 4, report->end()), Each(0));
}

TEST(FeatureReport, EachCommandGetsItsOwnBuffer) {
    std::array<std::uint8_t, 15> busyPayload;
    busyPayload.fill(0xFF);
    const auto first = buildFeatureReport(CommandCode::CmdSleep, busyPayload, 32);
    const std::array<std::uint8_t, 1> one = {0x01};
    const auto second = buildFeatureReport(CommandCode::CmdIdentify, one, 32);
    ASSERT_TRUE(first && second);
    EXPECT_EQ((*second)[2], 0x01);
    EXPECT_THAT(std::vector(second->begin() + 3, second->end()), Each(0));
}

TEST(FeatureReport, RefusesALengthThatCannotHoldTheCommand) {
    EXPECT_EQ(commandReportMinimumLength(CommandCode::CmdOutputEnable), 3u);
    EXPECT_EQ(commandReportMinimumLength(CommandCode::CmdIdentify), 3u);
    EXPECT_EQ(commandReportMinimumLength(CommandCode::CmdDriveStrength), 3u);
    EXPECT_EQ(commandReportMinimumLength(CommandCode::CmdSetFrequency), 21u);
    EXPECT_EQ(commandReportMinimumLength(CommandCode::CmdWriteRegister), 4u);
    EXPECT_EQ(commandReportMinimumLength(CommandCode::CmdSleep), 17u);

    const std::array<std::uint8_t, 2> payload = {1, 2};
    EXPECT_FALSE(buildFeatureReport(CommandCode::CmdWriteRegister, payload, 3));
    EXPECT_FALSE(buildFeatureReport(CommandCode::CmdWriteRegister, payload, 0));
    const auto exact = buildFeatureReport(CommandCode::CmdWriteRegister, payload, 4);
    ASSERT_TRUE(exact);
    EXPECT_THAT(*exact, ElementsAre(0, 5, 1, 2));
}

TEST(FeatureReport, KnowsOnlyTheSixCommandCodes) {
    EXPECT_FALSE(commandCodeFromByte(0));
    EXPECT_EQ(commandCodeFromByte(1), CommandCode::CmdOutputEnable);
    EXPECT_EQ(commandCodeFromByte(6), CommandCode::CmdSleep);
    EXPECT_FALSE(commandCodeFromByte(7));
}
