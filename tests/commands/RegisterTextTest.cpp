#include "commands/RegisterText.h"

#include <gtest/gtest.h>

using namespace tarnwell;

TEST(RegisterText, RoundsHalfToEvenAndAcceptsTheByteRange) {
    EXPECT_EQ(registerByteFromText("25"), 25);
    EXPECT_EQ(registerByteFromText("255"), 255);
    EXPECT_EQ(registerByteFromText("0"), 0);
    EXPECT_EQ(registerByteFromText("12.5"), 12);
    EXPECT_EQ(registerByteFromText("13.5"), 14);
    EXPECT_EQ(registerByteFromText("255.4"), 255);
    EXPECT_EQ(registerByteFromText("-0.4"), 0);
    EXPECT_EQ(registerByteFromText("12,5", NumberLocale{','}), 12);
}

TEST(RegisterText, RefusesWhatIsNotAByte) {
    for (const char* text : {"", "  ", "abc", "256", "255.5", "-1", "-0.6", "1e9", "0x10"})
        EXPECT_FALSE(registerByteFromText(text)) << text;
}
