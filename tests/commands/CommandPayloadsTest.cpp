#include "commands/CommandPayloads.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarnwell;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

std::vector<std::uint8_t> head(const std::optional<FeatureReport>& report, std::size_t count) {
    return {report->begin(), report->begin() + static_cast<std::ptrdiff_t>(count)};
}

}  // namespace

TEST(CommandPayloads, SingleByteCommands) {
    EXPECT_THAT(head(outputEnableReport(true, false, 65), 3), ElementsAre(0, 1, 1));
    EXPECT_THAT(head(outputEnableReport(false, true, 65), 3), ElementsAre(0, 1, 2));
    EXPECT_THAT(head(outputEnableReport(true, true, 65), 3), ElementsAre(0, 1, 3));
    EXPECT_THAT(head(identifyReport(IdentifySelection::Off, 65), 3), ElementsAre(0, 2, 0));
    EXPECT_THAT(head(identifyReport(IdentifySelection::Output2, 65), 3), ElementsAre(0, 2, 2));
    EXPECT_THAT(*driveStrengthReport(3, 3), ElementsAre(0, 3, 3));
    EXPECT_FALSE(driveStrengthReport(4, 65));
    EXPECT_FALSE(driveStrengthReport(-1, 65));
    EXPECT_FALSE(outputEnableReport(true, true, 2));
}

TEST(CommandPayloads, RegisterWrite) {
    const auto report = writeRegisterReport(25, 160, 65);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->size(), 65u);
    EXPECT_THAT(head(report, 4), ElementsAre(0x00, 0x05, 0x19, 0xA0));
    EXPECT_THAT(std::vector(report->begin() + 4, report->end()), Each(0));
    EXPECT_FALSE(writeRegisterReport(25, 160, 3));
}

TEST(CommandPayloads, SleepSendsItsFixedBytes) {
    const auto report = sleepReport(65);
    ASSERT_TRUE(report);
    EXPECT_THAT(head(report, 17),
                ElementsAreArray({0x00, 0x06, 0x32, 0x00, 0x80, 0x96, 0x98, 0x00, 0x80, 0x96, 0x98,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x41}));
    EXPECT_THAT(std::vector(report->begin() + 17, report->end()), Each(0));
    EXPECT_EQ(sleepReport(65), report);
    EXPECT_TRUE(sleepReport(17));
    EXPECT_FALSE(sleepReport(16));
}
