#include "planning/PllModel.h"

#include <gtest/gtest.h>

using namespace tarnwell;

TEST(PllModel, OutputOneFollowsTheDividerChain) {
    EXPECT_EQ(output1Frequency(10000000, 1000, 51234, 10, 5, 100), 10246800);
    EXPECT_EQ(output1Frequency(10000000, 1, 48, 10, 8, 6), 100000000);
    EXPECT_EQ(output1Frequency(4687500, 5, 512, 11, 11, 48), 10000000);
}

TEST(PllModel, ReadoutsTruncateAndKeepTheirTrailingBlank) {
    EXPECT_EQ(f3Caption(10000000, 1), "F3 = 10000000 Hz ");
    EXPECT_EQ(f3Caption(10000000, 3), "F3 = 3333333 Hz ");
    EXPECT_EQ(f3Caption(10000000, 1000), "F3 = 10000 Hz ");
    EXPECT_EQ(foscCaption(10000000, 1, 10, 48), "Fosc = 4.8 GHz ");
    EXPECT_EQ(foscCaption(10000000, 1000, 10, 51234), "Fosc = 5.1234 GHz ");
    EXPECT_EQ(foscCaption(4687500, 5, 11, 512), "Fosc = 5.28 GHz ");
    // Just under the next 100 kHz step stays on the lower step.
    EXPECT_EQ(foscReadoutGHz(5123499999.0, 1, 1, 1), 5.1234);
    EXPECT_EQ(foscCaption(5123499999.0, 1, 1, 1), "Fosc = 5.1234 GHz ");
    EXPECT_EQ(f3Caption(1000000, 3, NumberLocale{','}), "F3 = 333333 Hz ");
    EXPECT_EQ(foscCaption(10000000, 1, 10, 48, NumberLocale{','}), "Fosc = 4,8 GHz ");
}

TEST(PllModel, BandwidthCodeComesFromTheSerialsSecondCharacter) {
    EXPECT_EQ(bandwidthCodeForSerial("A1234"), 6);
    EXPECT_EQ(bandwidthCodeForSerial("G3"), 6);
    EXPECT_EQ(bandwidthCodeForSerial("x5yz"), 6);
    EXPECT_EQ(bandwidthCodeForSerial("A2345"), 15);
    EXPECT_EQ(bandwidthCodeForSerial("37"), 15);
    EXPECT_EQ(bandwidthCodeForSerial("3"), 15);
    EXPECT_EQ(bandwidthCodeForSerial(""), 15);
    // A first character of several UTF-8 bytes is still one character.
    EXPECT_EQ(bandwidthCodeForSerial("\xC3\xA9"
                                     "3"),
              6);
    EXPECT_EQ(bandwidthCodeForSerial("\xC3\xA9"), 15);
}
