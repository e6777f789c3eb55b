#include "planning/DividerLimits.h"

#include <gtest/gtest.h>

using namespace tarnwell;

namespace {

// Clamps one box's text among boxes that hold their defaults.
std::string clampedText(PllBox box, std::string text, NumberLocale locale = {}) {
    PllBoxTexts texts{"2875000", "3", "11", "480", "11", "46", "46"};
    const auto at = static_cast<std::size_t>(box);
    texts[at] = std::move(text);
    clampDividers(texts, locale);
    return texts[at];
}

}  // namespace

TEST(DividerLimits, ForcesEachBoxIntoItsRange) {
    EXPECT_EQ(clampedText(PllBox::N2_LS, "481"), "480");
    EXPECT_EQ(clampedText(PllBox::N31, "0"), "1");
    EXPECT_EQ(clampedText(PllBox::N1_HS, "12"), "11");
    EXPECT_EQ(clampedText(PllBox::GPS, ""), "2875000");
    EXPECT_EQ(clampedText(PllBox::NC1_LS, "2000000"), "1048576");
    EXPECT_EQ(clampedText(PllBox::GPS, "12000000"), "10000000");
    EXPECT_EQ(clampedText(PllBox::N2_HS, "3"), "4");
    EXPECT_EQ(clampedText(PllBox::NC2_LS, "47"), "46");
    EXPECT_EQ(clampedText(PllBox::N31, "abc"), "3");
    EXPECT_EQ(clampedText(PllBox::N2_LS, "-7"), "2");
    EXPECT_EQ(clampedText(PllBox::NC2_LS, "1E300"), "1048576");
}

TEST(DividerLimits, EvenRuleLooksAtTheRoundedValue) {
    // An even-only box ends up holding an even whole number, so the clock never gets an odd one.
    EXPECT_EQ(clampedText(PllBox::N2_LS, "481.3"), "480");
    EXPECT_EQ(clampedText(PllBox::N2_LS, "482.5"), "482");  // rounds to the even 482
    EXPECT_EQ(clampedText(PllBox::N2_LS, "483.5"), "484");  // rounds to the even 484
    EXPECT_EQ(clampedText(PllBox::NC2_LS, "46.6"), "46");   // rounds to the odd 47
    EXPECT_EQ(clampedText(PllBox::N2_LS, "2.6"), "2");      // never below the minimum
    EXPECT_EQ(clampedText(PllBox::NC1_LS, "48.0"), "48");   // written back in the general form
    // Odd boxes keep a fractional value that lies in range.
    EXPECT_EQ(clampedText(PllBox::N31, "2.5"), "2.5");
}

TEST(DividerLimits, LeavesLegalTextsAloneAndHonoursTheLocale) {
    const PllBoxTexts legal{"10000000", "1000", "10", "51234", "5", "100", "200"};
    PllBoxTexts texts = legal;
    clampDividers(texts);
    EXPECT_EQ(texts, legal);

    // "481.3" is not a number where the decimal separator is a comma.
    EXPECT_EQ(clampedText(PllBox::N2_LS, "481.3", NumberLocale{','}), "480");
    EXPECT_EQ(clampedText(PllBox::N2_LS, "481,3", NumberLocale{','}), "480");
    EXPECT_EQ(clampedText(PllBox::N2_HS, "10,5", NumberLocale{','}), "10,5");

    PllBoxTexts garbage{"x", "x", "x", "x", "x", "x", "x"};
    clampDividers(garbage);
    EXPECT_EQ(garbage, (PllBoxTexts{"2875000", "3", "11", "480", "11", "46", "46"}));
}
