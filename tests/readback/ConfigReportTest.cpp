#include "readback/ConfigReport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarnwell;
using ::testing::Each;

namespace {

std::vector<std::uint8_t> reportWith(std::uint8_t enables, std::uint8_t drive) {
    std::vector<std::uint8_t> report(65, 0);
    report[1] = enables;
    report[2] = drive;
    return report;
}

}  // namespace

TEST(ConfigReport, DecodesEnablesIgnoringHigherBits) {
    const auto second = decodeConfigReport(reportWith(0x02, 0));
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->output1Enabled);
    EXPECT_TRUE(second->output2Enabled);
    const auto first = decodeConfigReport(reportWith(0xFD, 0));
    EXPECT_TRUE(first->output1Enabled);
    EXPECT_FALSE(first->output2Enabled);
}

TEST(ConfigReport, TakesADriveAboveThreeAsThree) {
    EXPECT_EQ(decodeConfigReport(reportWith(0, 0))->driveIndex, 0);
    EXPECT_EQ(decodeConfigReport(reportWith(0, 3))->driveIndex, 3);
    EXPECT_EQ(decodeConfigReport(reportWith(0, 7))->driveIndex, 3);
    EXPECT_EQ(decodeConfigReport(reportWith(0, 255))->driveIndex, 3);
}

TEST(ConfigReport, ReadsTheRecordFromByteThree) {
    const auto zeros = decodeConfigReport(reportWith(0, 0));
    EXPECT_EQ(zeros->pll, (PllSettings{0, 1, 4, 1, 4, 1, 1, 0, 0}));

    std::vector<std::uint8_t> report = reportWith(0x03, 1);
    const PllSettingsBytes record = {0x80, 0x96, 0x98, 0xE7, 0x03, 0x00, 0x06, 0x21, 0xC8, 0x00,
                                     0x01, 0x63, 0x00, 0x00, 0xC7, 0x00, 0x00, 0x09, 0x03};
    std::ranges::copy(record, report.begin() + 3);
    report[22] = 0xEE;  // past the record: not read
    EXPECT_EQ(decodeConfigReport(report)->pll,
              (PllSettings{10000000, 1000, 10, 51234, 5, 100, 200, 9, 3}));
}

TEST(ConfigReport, AShortReportOrDeviceIsAFailedRead) {
    const std::vector<std::uint8_t> report = reportWith(0, 0);
    EXPECT_TRUE(decodeConfigReport(std::span(report).first(22)));
    EXPECT_FALSE(decodeConfigReport(std::span(report).first(21)));
    EXPECT_FALSE(decodeConfigReport({}));

    EXPECT_FALSE(configurationReadRequest(0));
    EXPECT_FALSE(configurationReadRequest(21));
    const auto request = configurationReadRequest(22);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->size(), 22u);
    EXPECT_THAT(*request, Each(0));
}
