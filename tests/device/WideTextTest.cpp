#include "device/WideText.h"

#include <gtest/gtest.h>

using namespace tarnwell;

TEST(WideText, ConvertsToUtf16WithSurrogatePairs) {
    EXPECT_EQ(utf16FromWide(L"SN-0042"), u"SN-0042");
    EXPECT_EQ(utf16FromWide(L""), u"");
    EXPECT_EQ(utf16FromWide(L"\u00E9\u0141"), u"\u00E9\u0141");
    EXPECT_EQ(utf16FromWide(L"a\U0001F600b"), u"a\U0001F600b");
    if constexpr (sizeof(wchar_t) == 4) {
        const wchar_t invalid[] = {L'x', static_cast<wchar_t>(0xD800),
                                   static_cast<wchar_t>(0x110000)};
        EXPECT_EQ(utf16FromWide(std::wstring_view(invalid, 3)), u"x\uFFFD\uFFFD");
    }
}
