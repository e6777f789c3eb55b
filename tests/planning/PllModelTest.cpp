#include "planning/PllModel.h"

#include <gtest/gtest.h>

using namespace tarnwell;

namespace {

// GPS, N31, N2_HS, N2_LS in the order the readouts name them; N1_HS and NC1_LS for output 1.
PllBoxValues pll(double gps, double n31, double n2hs, double n2ls, double n1hs = 1,
                 double nc1ls = 1) {
    return {.gps = gps, .n31 = n31, .n2hs = n2hs, .n2ls = n2ls, .n1hs = n1hs, .nc1ls = nc1ls};
}

}  // namespace

TEST(PllModel, OutputOneFollowsTheDividerChain) {
    EXPECT_EQ(output1Frequency(pll(10000000, 1000, 10, 51234, 5, 100)), 10246800);
    EXPECT_EQ(output1Frequency(pll(10000000, 1, 10, 48, 8, 6)), 100000000);
    EXPECT_EQ(output1Frequency(pll(4687500, 5, 11, 512, 11, 48)), 10000000);
    // The record's fields, not its neighbours: NC2_LS plays no part.
    PllBoxValues values = pll(4687500, 5, 11, 512, 11, 48);
    values.nc2ls = 2;
    EXPECT_EQ(output1Frequency(values), 10000000);
}

TEST(PllModel, ReadoutsTruncateAndKeepTheirTrailingBlank) {
    EXPECT_EQ(f3Caption(pll(10000000, 1, 0, 0)), "F3 = 10000000 Hz ");
    EXPECT_EQ(f3Caption(pll(10000000, 3, 0, 0)), "F3 = 3333333 Hz ");
    EXPECT_EQ(f3Caption(pll(10000000, 1000, 0, 0)), "F3 = 10000 Hz ");
    EXPECT_EQ(foscCaption(pll(10000000, 1, 10, 48)), "Fosc = 4.8 GHz ");
    EXPECT_EQ(foscCaption(pll(10000000, 1000, 10, 51234)), "Fosc = 5.1234 GHz ");
    EXPECT_EQ(foscCaption(pll(4687500, 5, 11, 512)), "Fosc = 5.28 GHz ");
    // Just under the next 100 kHz step stays on the lower step.
    EXPECT_EQ(foscReadoutGHz(pll(5123499999.0, 1, 1, 1)), 5.1234);
    EXPECT_EQ(foscCaption(pll(5123499999.0, 1, 1, 1)), "Fosc = 5.1234 GHz ");
    EXPECT_EQ(f3Caption(pll(1000000, 3, 0, 0), NumberLocale{','}), "F3 = 333333 Hz ");
    EXPECT_EQ(foscCaption(pll(10000000, 1, 10, 48), NumberLocale{','}), "Fosc = 4,8 GHz ");
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
