#include "readback/IdentityText.h"

#include <gtest/gtest.h>

using namespace tarnwell;

TEST(IdentityText, KeepsTheLowByteAndStopsAtTheFirstZeroByte) {
    EXPECT_EQ(identityText(u"ABC"), "ABC");
    EXPECT_EQ(identityText(u""), "");
    EXPECT_EQ(identityText(std::u16string_view(u"AB\0CD", 5)), "AB");
    // U+0141 loses its high byte; U+0100 has a zero low byte and ends the text.
    EXPECT_EQ(identityText(u"x\u0141y"), "xAy");
    EXPECT_EQ(identityText(u"x\u0100y"), "x");
    EXPECT_EQ(identityText(u"caf\u00E9"), "caf\xE9");
}

TEST(IdentityText, WritesFirmwareAsDecimalMajorAndHexMinor) {
    EXPECT_EQ(firmwareVersionText(0x0112), " 1.12");
    EXPECT_EQ(firmwareVersionText(0x010A), " 1.A");
    EXPECT_EQ(firmwareVersionText(0x0105), " 1.5");
    EXPECT_EQ(firmwareVersionText(0x0200), " 2.0");
    EXPECT_EQ(firmwareVersionText(0x0111), " 1.11");
    EXPECT_EQ(firmwareVersionText(0x011F), " 1.1F");
    EXPECT_EQ(firmwareVersionText(0x0C00), " 12.0");
    EXPECT_EQ(firmwareVersionText(0xFFFF), " 255.FF");
}
