#include "readback/InputReport.h"

#include <gtest/gtest.h>

#include <array>

using namespace tarnwell;

TEST(InputReport, ReadsTheCountAndTheTwoStatusBits) {
    const std::array<std::uint8_t, 4> none = {0, 0, 0x00, 0xFF};
    EXPECT_EQ(parseInputReport(none), (InputStatus{0, false, false}));
    const std::array<std::uint8_t, 3> both = {0, 255, 0x03};
    EXPECT_EQ(parseInputReport(both), (InputStatus{255, true, true}));
    const std::array<std::uint8_t, 3> lockOnly = {0, 7, 0x02};
    EXPECT_EQ(parseInputReport(lockOnly), (InputStatus{7, false, true}));
    // Unused bits change nothing.
    const std::array<std::uint8_t, 3> otherBits = {0, 1, 0xFD};
    EXPECT_EQ(parseInputReport(otherBits), (InputStatus{1, true, false}));
}

TEST(InputReport, ATooShortReportIsUnusable) {
    EXPECT_FALSE(parseInputReport({}));
    const std::array<std::uint8_t, 2> twoBytes = {0, 5};
    EXPECT_FALSE(parseInputReport(twoBytes));
}

TEST(InputReport, EncodesWhatItParses) {
    const InputStatus status{42, true, false};
    const auto report = encodeInputReport(status, 65);
    EXPECT_EQ(report.size(), 65u);
    EXPECT_EQ(parseInputReport(report), status);
    EXPECT_EQ(encodeInputReport(status, 2).size(), 2u);
}
