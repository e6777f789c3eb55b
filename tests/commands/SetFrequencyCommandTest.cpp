#include "commands/SetFrequencyCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarnwell;
using ::testing::Each;
using ::testing::ElementsAreArray;

TEST(SetFrequencyCommand, CarriesTheRecordInBytesTwoToTwenty) {
    const PllEncoding encoded = encodePllSettings({10000000, 1000, 10, 51234, 5, 100, 200, 0, 3});
    ASSERT_TRUE(encoded);
    const auto report = setFrequencyReport(encoded.bytes, 65);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->size(), 65u);
    EXPECT_THAT(std::vector(report->begin(), report->begin() + 21),
                ElementsAreArray({0x00, 0x04, 0x80, 0x96, 0x98, 0xE7, 0x03, 0x00, 0x06, 0x21, 0xC8,
                                  0x00, 0x01, 0x63, 0x00, 0x00, 0xC7, 0x00, 0x00, 0x00, 0x03}));
    EXPECT_THAT(std::vector(report->begin() + 21, report->end()), Each(0));
}

TEST(SetFrequencyCommand, NeedsTwentyOneBytes) {
    PllSettingsBytes record;
    record.fill(0xFF);
    EXPECT_FALSE(setFrequencyReport(record, 20));
    const auto exact = setFrequencyReport(record, 21);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->size(), 21u);
    EXPECT_EQ(exact->back(), 0xFF);
}
