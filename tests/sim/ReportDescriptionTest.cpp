#include "sim/ReportDescription.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "commands/CommandPayloads.h"
#include "commands/SetFrequencyCommand.h"
#include "planning/PllSettings.h"

using namespace tarnwell;

namespace {

constexpr std::size_t kLength = 65;

std::string describe(const std::optional<FeatureReport>& report) {
    EXPECT_TRUE(report);
    return report ? describeFeatureReport(*report) : std::string();
}

}  // namespace

TEST(ReportDescription, TellsEveryCommandTheWindowSendsInWords) {
    const PllBoxValues tenMegahertz{4687500, 5, 11, 512, 11, 48, 48, 0, 15};
    EXPECT_EQ(describe(setFrequencyReport(encodePllSettings(tenMegahertz).bytes, kLength)),
              "set frequency: GPS 4687500, N31 5, N2_HS 11, N2_LS 512, N1_HS 11, NC1_LS 48, "
              "NC2_LS 48, phase 0, BW 15");
    const PllBoxValues largest{16777215, 16777216, 259, 16777216, 259,
                               16777216, 16777216, 255, 255};
    EXPECT_EQ(describe(setFrequencyReport(encodePllSettings(largest).bytes, kLength)),
              "set frequency: GPS 16777215, N31 16777216, N2_HS 259, N2_LS 16777216, N1_HS 259, "
              "NC1_LS 16777216, NC2_LS 16777216, phase 255, BW 255");

    EXPECT_EQ(describe(outputEnableReport(true, false, kLength)), "enable outputs: 1 on, 2 off");
    EXPECT_EQ(describe(outputEnableReport(false, true, kLength)), "enable outputs: 1 off, 2 on");
    EXPECT_EQ(describe(identifyReport(IdentifySelection::Output1, kLength)), "identify output 1");
    EXPECT_EQ(describe(identifyReport(IdentifySelection::Output2, kLength)), "identify output 2");
    EXPECT_EQ(describe(identifyReport(IdentifySelection::Off, kLength)), "identify off");
    EXPECT_EQ(describe(driveStrengthReport(0, kLength)), "drive strength 8mA");
    EXPECT_EQ(describe(driveStrengthReport(3, kLength)), "drive strength 32mA");
    EXPECT_EQ(describe(writeRegisterReport(25, 160, kLength)), "write register 25 = 160");
    EXPECT_EQ(describe(sleepReport(kLength)), "sleep");
}

TEST(ReportDescription, ShowsValuesTheToolNeverSendsInsteadOfHidingThem) {
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 1, 0xFF}),
              "enable outputs: 1 on, 2 on, other bits 252");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 2, 3}),
              "identify: unknown selection 3");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 3, 4}),
              "drive strength: unknown index 4");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 0, 1}), "unknown command 0");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 7}), "unknown command 7");
}

TEST(ReportDescription, AReportTooShortForItsCommandIsToldAsIgnored) {
    EXPECT_EQ(describeFeatureReport({}), "report without a command");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0}), "report without a command");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 1}),
              "enable outputs: cut short at 2 bytes, ignored");
    EXPECT_EQ(describeFeatureReport(std::vector<std::uint8_t>{0, 5, 25}),
              "write register: cut short at 3 bytes, ignored");

    // The record ends exactly at the report's end: described, and nothing past it is read.
    std::vector<std::uint8_t> setFrequency(21, 0);
    setFrequency[1] = 4;
    EXPECT_EQ(describeFeatureReport(setFrequency),
              "set frequency: GPS 0, N31 1, N2_HS 4, N2_LS 1, N1_HS 4, NC1_LS 1, NC2_LS 1, "
              "phase 0, BW 0");
    setFrequency.pop_back();
    EXPECT_EQ(describeFeatureReport(setFrequency), "set frequency: cut short at 20 bytes, ignored");
    std::vector<std::uint8_t> sleep(16, 0);
    sleep[1] = 6;
    EXPECT_EQ(describeFeatureReport(sleep), "sleep: cut short at 16 bytes, ignored");
}
