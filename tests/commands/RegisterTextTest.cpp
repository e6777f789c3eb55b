#include "commands/RegisterText.h"

#include <gtest/gtest.h>

using namespace tarnwell;

TEST(RegisterText, RoundsHalfToEvenAndAcceptsTheByteRange) {
    EXPECT_EQ(registerByteFromText("25", "REG").value, 25);
    EXPECT_EQ(registerByteFromText("255", "REG").value, 255);
    EXPECT_EQ(registerByteFromText("0", "DATA").value, 0);
    EXPECT_EQ(registerByteFromText("12.5", "DATA").value, 12);
    EXPECT_EQ(registerByteFromText("13.5", "DATA").value, 14);
    EXPECT_EQ(registerByteFromText("255.4", "DATA").value, 255);
    EXPECT_EQ(registerByteFromText("-0.4", "DATA").value, 0);
    EXPECT_EQ(registerByteFromText("12,5", "DATA", NumberLocale{','}).value, 12);
    EXPECT_TRUE(registerByteFromText("7", "REG").refusal.empty());
}

TEST(RegisterText, RefusesWithAReasonNamingTheBox) {
    for (const char* text : {"", "  ", "abc", "256", "255.5", "-1", "-0.6", "1e9", "0x10"}) {
        const RegisterByte refused = registerByteFromText(text, "REG");
        EXPECT_FALSE(refused.value) << text;
        EXPECT_EQ(refused.refusal, "REG must be a number from 0 to 255") << text;
    }
    EXPECT_EQ(registerByteFromText("x", "DATA").refusal, "DATA must be a number from 0 to 255");
}
